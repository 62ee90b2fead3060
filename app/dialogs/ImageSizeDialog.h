// TFImgSizeDlg ("Render at Resolution"): the size of the picture that is
// rendered again and saved, shown three linked ways: pixels, printed size
// in inches or centimetres, and dots per inch, with the aspect of the
// current result locked; below them the memory the picture will need.
#pragma once

#include <QDialog>

#include <array>
#include <cstdint>
#include <string>

class QAbstractSpinBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QSpinBox;
class TFloatEdit;

// The printed-size unit: 0 inches, 1 centimetres.
enum : uint8_t { UnitInches = 0, UnitCentimeters = 1 };

// Dots per printed unit for a resolution in dots per inch.
double PixelsPerUnit(int resolution, uint8_t units);
// Trunc(x * 100 + 0.5) / 100: the printed sizes' two decimals.
double TwoDecimals(double x);
// A printed size from pixels, and pixels from a printed size.
double SizeFromPixels(int pixels, double pixelsPerUnit);
int PixelsFromSize(double size, double pixelsPerUnit);
// "878.9 KBytes": four significant digits and the largest unit the count
// exceeds.
std::string ByteSizeText(int64_t bytes);
// "Estimated Size:1.373 MBytes" for a picture of 3 bytes a pixel.
std::string EstimatedSizeText(int width, int height);
// "Size in Inches" or "Size in Centimeters".
std::string SizeGroupCaption(uint8_t units);

class TFImgSizeDlg : public QDialog {
public:
    explicit TFImgSizeDlg(QWidget* parent = nullptr);

    void SetWidth(int width);
    void SetHeight(int height);
    void SetResolution(int dotsPerInch);
    // Read after an accepted showing; the resolution is always per inch.
    int GetWidth() const;
    int GetHeight() const;
    int GetResolution() const;

    uint8_t Units() const { return Units_; }
    float AspectRatio() const { return AspectRatio_; }

    QRadioButton* rbInches() const { return rbInches_; }
    QRadioButton* rbCentimeters() const { return rbCentimeters_; }
    TFloatEdit* seHorizInches() const { return seHorizInches_; }
    TFloatEdit* seVertInches() const { return seVertInches_; }
    QSpinBox* seRes() const { return seRes_; }
    QSpinBox* seHorizPixels() const { return seHorizPixels_; }
    QSpinBox* seVertPixels() const { return seVertPixels_; }
    QGroupBox* gbSizeInches() const { return gbSizeInches_; }
    QLabel* lblEstimSize() const { return lblEstimSize_; }
    QPushButton* btOk() const { return btOk_; }

    // Only a picture of at least one pixel each way is accepted.
    void accept() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void BuildLayout();
    void Attach();
    void OnChange(QObject* sender);
    void ChangedBy(QObject* sender);
    void UnitsClick(uint8_t units);
    void PixelsFromSizes();
    void SizesFromPixels();
    void RefreshEstimate();
    double PixelsPerUnit() const;

    int Width_ = 800, Height_ = 600;
    float AspectRatio_ = 0;
    uint8_t Units_ = UnitInches;
    int Resolution_ = 72;
    // Programmatic writes happen with the handlers detached, so that
    // showing a value never writes it back.
    bool attached_ = false;

    QGroupBox* gbSizeInches_ = nullptr;
    QRadioButton* rbInches_ = nullptr;
    QRadioButton* rbCentimeters_ = nullptr;
    TFloatEdit* seHorizInches_ = nullptr;
    TFloatEdit* seVertInches_ = nullptr;
    QSpinBox* seRes_ = nullptr;
    QSpinBox* seHorizPixels_ = nullptr;
    QSpinBox* seVertPixels_ = nullptr;
    QLabel* lblEstimSize_ = nullptr;
    QPushButton* btOk_ = nullptr;
    QPushButton* btCancel_ = nullptr;
};
