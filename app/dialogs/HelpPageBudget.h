// What one help page may pull in, as a whole. Qt styles and lays out a page
// on the user-interface thread, and some of its costs grow far faster than
// the files: a long word costs its layout the square of its length, a style
// rule is matched against every element and each of its ancestors (and a
// rule that names an ancestor walks up again), tables nested in tables cost
// their layout an exponential time, and a table runs away with a huge
// padding. So a page, its style sheets and its pictures share bounds near
// the size of real help, chosen by measuring the worst that passes them;
// the budget starts afresh with each page.
#pragma once

#include <QByteArray>
#include <QSize>
#include <QString>

#include <cstdint>
#include <optional>

// The shipped pages are 1-3 KB. Laying out a single word, a line of
// combining marks or a list grows with the square of its length: at this
// bound the worst of them takes a fifth of a second.
inline constexpr int64_t MaxHelpPageBytes = int64_t{16} << 10;
// All the style sheets of one page together, imported ones too, so that a
// chain or fan of imports cannot multiply the cost; the shipped one is 150
// bytes.
inline constexpr int64_t MaxHelpSheetBytes = int64_t{32} << 10;
// The pictures of one page: the files read, and the pictures as shown (4
// bytes a pixel) whatever their files. About a million pixels.
inline constexpr int64_t MaxHelpPictureBytes = int64_t{4} << 20;
// Tables in tables in tables in tables: each further level about doubles
// the layout's time, which passes a second at 15.
inline constexpr int MaxHelpTableNesting = 4;
// The cells of a page's tables, counting the columns each spans: a cell
// spanning a thousand columns costs as much as a thousand cells.
inline constexpr int64_t MaxHelpTableCells = 4096;
// Qt lays a table out for good once a padding or a spacing in it is about
// 30 million pixels: the numbers of a page and its sheets stay below this.
inline constexpr double MaxHelpNumber = 1e6;
// Styling a page costs Qt about (element, ancestor) steps, weighted by the
// length of the elements' tags, times the bytes of its style rules: at up to
// a third of a nanosecond each (rules that match every element, or look
// through a list of classes), this is a sixth of a second. The shipped
// pages use under seven million.
inline constexpr int64_t MaxHelpStyleWork = int64_t{500'000'000};

class THelpPageBudget {
public:
    // A new page from its file: its text, or nothing when it is no page (it
    // holds NUL characters) or would cost too much to show. `defaultSheet`
    // is the document's own style sheet, matched as the page's are.
    std::optional<QString> TakePage(const QByteArray& bytes, qsizetype defaultSheet);
    // What is left for the page's style sheets, and whether a further one
    // read fits and bears styling the page.
    int64_t SheetBytesLeft() const { return MaxHelpSheetBytes - sheetBytes_; }
    bool TakeSheet(const QByteArray& css);
    // What is left for the page's pictures, and whether a further one read
    // from a file of `fileBytes` fits at the size it declares.
    int64_t PictureBytesLeft() const { return MaxHelpPictureBytes - pictureBytes_; }
    bool TakePicture(qsizetype fileBytes, QSize size);

private:
    int64_t styleSteps_ = 0;   // of matching one byte of style rules against the page
    int64_t styleBytes_ = 0;   // of rules matched: the document's, the page's own and its sheets
    int64_t sheetBytes_ = 0;
    int64_t pictureBytes_ = 0;
};
