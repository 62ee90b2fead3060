// TFormAbout: the about box. Over the splash picture it shows the program's
// name, description and versions (read from its version information), the
// author line, the machine's total and free physical memory (read anew at
// every showing) and a panel of acknowledgements that scrolls while the box
// is shown. "OK" closes it.
#pragma once

#include "app/dialogs/MemoryFigures.h"

#include <QDialog>
#include <QImage>

#include <functional>
#include <memory>

class QLabel;
class TExeInfo;
class TInfoLabel;
class TSecretPanel;

// The author line, kept enciphered in the program and deciphered here.
QString DecipheredAuthorLine();
// The acknowledgement lines of the scrolling panel.
QStringList AcknowledgementLines();

class TFormAbout : public QDialog {
    Q_OBJECT

public:
    // `splash` is the picture behind everything (417 x 352); a null picture
    // leaves the plain background colour. The version strings are the running
    // program's unless a reader is given.
    explicit TFormAbout(const QImage& splash, QWidget* parent = nullptr,
                        std::function<std::unique_ptr<TExeInfo>()> versionReader = {});
    ~TFormAbout() override;

    // Where the memory figures come from (the machine's by default).
    std::function<TMemoryFigures()> ReadMemory;

    QLabel& lbAuth() const { return *lbAuth_; }
    QLabel& lblTotal() const { return *lblTotal_; }
    QLabel& lblFree() const { return *lblFree_; }
    TSecretPanel& JvSecretPanel1() const { return *secretPanel_; }
    TInfoLabel& ProductName() const { return *productName_; }
    TInfoLabel& Comments() const { return *comments_; }
    TInfoLabel& ProductVersion() const { return *productVersion_; }
    TInfoLabel& FileVersion() const { return *fileVersion_; }

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    QImage splash_;
    TInfoLabel* productName_;
    TInfoLabel* comments_;
    TInfoLabel* productVersion_;
    TInfoLabel* fileVersion_;
    QLabel* lbAuth_;
    QLabel* lblTotal_;
    QLabel* lblFree_;
    TSecretPanel* secretPanel_;
};
