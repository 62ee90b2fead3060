#include "app/dialogs/HelpPageBudget.h"

#include <QStringDecoder>
#include <QStringList>
#include <QStringView>

#include <algorithm>
#include <cmath>
#include <functional>
#include <vector>

namespace {

// Qt reads only what lies between these two marks, where the first is there.
QStringView ReadPart(QStringView html)
{
    const qsizetype start = html.indexOf(u"<!--StartFragment-->"), end = html.indexOf(u"<!--EndFragment-->");
    if (start < 0) return html;
    return start < end ? html.sliced(start, end - start) : html.sliced(start);
}

// Whether a text holds a number of MaxHelpNumber or more: a run of as many
// digits at least.
template <typename TText> bool HoldsHugeNumber(const TText& text)
{
    static const int hugeDigits = static_cast<int>(std::log10(MaxHelpNumber)) + 1;
    int digits = 0;
    for (qsizetype i = 0; i < text.size() && digits < hugeDigits; ++i)
        digits = text[i] >= u'0' && text[i] <= u'9' ? digits + 1 : 0;
    return digits >= hugeDigits;
}

// What a style sheet may not hold: a huge number, or a rule that names a
// sibling ("+", "~"). Qt finds an element's earlier sibling by searching
// its parent's children from the start, so such a rule costs a long page
// the square of its length, or its cube. Help has no use for either.
template <typename TText> bool Unbearable(const TText& css)
{
    return HoldsHugeNumber(css) || std::any_of(css.begin(), css.end(), [](auto c) { return c == u'+' || c == u'~'; });
}

bool Childless(const QString& tag) { return tag == u"img" || tag == u"hr" || tag == u"br" || tag == u"meta"; }

// A page's tree as Qt's rich-text reader builds it, followed tag by tag:
// the tags are read where Qt reads them, and an element is closed here
// where Qt certainly closes it. Where Qt's choice rests on what is not
// followed (a style sheet can make an element a block), the elements it
// may have closed stay open but unsure, and nothing closes past one: the
// nesting counted is never below Qt's. Qt decodes character references in
// tags and in style elements: where one could turn into a name or a digit
// ("&#"), or stands in a tag name, the page is not followed.
class TPageReader {
public:
    explicit TPageReader(QStringView html) : html_(html) {}

    int64_t Steps = 0;      // of matching one byte of style rules against the page
    int64_t StyleBytes = 0; // of its style elements

    // Follows the page to its end; false once it is over a bound.
    bool Read(int64_t maxSteps)
    {
        qsizetype styleText = -1; // where the text of an open style element began
        for (qsizetype at; pos_ < html_.size() && (at = html_.indexOf(u'<', pos_)) >= 0;) {
            pos_ = at + 1;
            EatSpace();
            if (Next(u'!')) {
                SkipDeclaration();
                continue;
            }
            if (styleText >= 0 && !TakeStyle(html_.sliced(styleText, at - styleText))) return false;
            styleText = -1;
            const bool closing = Next(u'/');
            pos_ += closing;
            const QString tag = closing ? Word().toLower().trimmed() : Word().toLower();
            if (tag.contains(u'&') || (!closing && !ReadAttributes(tag))) return false;
            bool closed = false;
            for (; pos_ < html_.size() && html_[pos_] != u'>'; ++pos_) closed = closed || html_[pos_] == u'/';
            ++pos_;
            if (closing) {
                Close(tag);
                continue;
            }
            pos_ = std::min(pos_, html_.size());
            Open(tag, closed, pos_ - at);
            if (tag == u"style" && !closed) styleText = pos_;
            if (Steps > maxSteps || Tables() > MaxHelpTableNesting || cells_ > MaxHelpTableCells) return false;
        }
        return styleText < 0 || TakeStyle(html_.sliced(styleText));
    }

private:
    struct TOpen {
        QString Tag;
        bool Sure;    // certainly still open in Qt's tree
        int64_t Up;   // the weights of it and its ancestors
        int64_t UpUp; // the sums Up of it and its ancestors
    };
    using TIs = std::function<bool(const QString&)>;

    bool TakeStyle(QStringView css)
    {
        StyleBytes += css.size();
        return !Unbearable(css) && !css.contains(u"&#");
    }

    bool Next(QChar c) const { return pos_ < html_.size() && html_[pos_] == c; }
    void EatSpace()
    {
        while (pos_ < html_.size() && html_[pos_].isSpace() && html_[pos_] != QChar::ParagraphSeparator) ++pos_;
    }
    // A comment, or any other "<!...>".
    void SkipDeclaration()
    {
        const bool comment = html_.sliced(++pos_).startsWith(u"--");
        const qsizetype end = comment ? html_.indexOf(u"-->", pos_ + 2) : html_.indexOf(u'>', pos_);
        pos_ = end < 0 ? html_.size() : end + (comment ? 3 : 1);
    }
    // A word as Qt reads one: quoted (a backslash keeps a single quote in),
    // or up to a space, "=", "<", ">" or "/>". A character reference cannot
    // hold any of these, so the word ends where Qt's does.
    QString Word()
    {
        const qsizetype from = pos_ + (Next(u'"') || Next(u'\''));
        if (from > pos_) {
            const QChar quote = html_[pos_];
            for (pos_ = from; pos_ < html_.size();)
                if (html_[pos_++] == quote && (quote == u'"' || html_[pos_ - 2] != u'\\'))
                    return html_.sliced(from, pos_ - 1 - from).toString();
            return html_.sliced(from).toString();
        }
        for (; pos_ < html_.size(); ++pos_) {
            const QChar c = html_[pos_];
            if (c == u'>' || c == u'<' || c == u'=' || c.isSpace() || html_.sliced(pos_).startsWith(u"/>")) break;
        }
        return html_.sliced(from, pos_ - from).toString();
    }
    // Whether the attributes, if any, hold no huge number (Qt also reads
    // "1e9" and "inf" as numbers); the columns a table cell spans count.
    bool ReadAttributes(const QString& tag)
    {
        int64_t span = 1;
        const bool any = pos_ < html_.size() && html_[pos_].isSpace();
        while (any && pos_ < html_.size()) {
            EatSpace();
            if (Next(u'>') || Next(u'/')) break;
            const QString key = Word().toLower();
            if (key.isEmpty()) break;
            EatSpace();
            if (!Next(u'=')) continue;
            ++pos_;
            EatSpace();
            const QString value = Word();
            QStringView number = QStringView(value).trimmed();
            if (number.endsWith(u'%')) number.chop(1);
            bool isNumber = false;
            const double n = number.toDouble(&isNumber);
            if ((isNumber && !(std::abs(n) < MaxHelpNumber)) || HoldsHugeNumber(value) || (key + value).contains(u"&#"))
                return false;
            if (key == u"colspan" && (tag == u"td" || tag == u"th")) span = std::max(1, value.toInt());
        }
        cells_ += tag == u"td" || tag == u"th" ? span : 0;
        return true;
    }

    int Tables() const
    {
        const auto table = [](const TOpen& e) { return e.Tag == u"table"; };
        return static_cast<int>(std::count_if(open_.begin(), open_.end(), table));
    }
    void MarkUnsure(qsizetype from)
    {
        for (qsizetype i = from; i < qsizetype(open_.size()); ++i) open_[i].Sure = false;
    }
    // What matching a rule against an element costs, by the length of its
    // tag: a fixed part, and its name and attributes looked through.
    static int64_t Weight(qsizetype tagBytes) { return 16 + tagBytes; }
    void Push(const QString& tag, bool sure, int64_t weight)
    {
        const int64_t up = (open_.empty() ? 0 : open_.back().Up) + weight;
        open_.push_back({tag, sure, up, (open_.empty() ? 0 : open_.back().UpUp) + up});
    }
    // The element goes under the nearest open one it may go in, and those
    // above are closed; a cell or a row with no row or table anywhere above
    // (`needed`) gets new ones to go in instead.
    void Place(const TIs& mayGoIn, QStringView needed = {}, const QStringList& opened = {})
    {
        const auto has = [&](bool sure) {
            const auto open = [&](const TOpen& e) { return e.Tag == needed && (e.Sure || !sure); };
            return std::any_of(open_.begin(), open_.end(), open);
        };
        if (!needed.isEmpty() && !has(true)) {
            const bool perhaps = has(false);
            if (perhaps) MarkUnsure(0);
            for (const QString& tag : opened) Push(tag, !perhaps, Weight(tag.size() + 2));
            return;
        }
        qsizetype k = qsizetype(open_.size()) - 1;
        bool unsureAbove = false;
        for (; k >= 0 && !(open_[k].Sure && mayGoIn(open_[k].Tag)); --k)
            unsureAbove = unsureAbove || mayGoIn(open_[k].Tag);
        if (unsureAbove)
            MarkUnsure(k + 1);
        else
            open_.resize(k + 1);
    }
    void Open(const QString& tag, bool closed, qsizetype tagBytes)
    {
        const auto is = [](QStringView name) -> TIs { return [name](const QString& t) { return t == name; }; };
        if (tag == u"p") {
            // Back to the nearest block, when that is a paragraph: which one
            // depends on the style sheets, unless the only one open is the
            // element open last (block or not, it is closed).
            const auto p = std::find_if(open_.begin(), open_.end(), [](const TOpen& e) { return e.Tag == u"p"; });
            if (p != open_.end() && p + 1 == open_.end() && p->Sure)
                open_.pop_back();
            else
                MarkUnsure(p - open_.begin());
        } else if (tag == u"li" && !open_.empty() && open_.back().Sure) {
            if (open_.back().Tag == u"li") open_.pop_back();
        } else if (tag == u"li") {
            for (TOpen& e : open_) e.Sure = e.Sure && e.Tag != u"li";
        } else if (tag == u"td") {
            Place(is(u"tr"), u"tr", {QStringLiteral("table"), QStringLiteral("tr")});
        } else if (tag == u"th") {
            Place(is(u"tr"));
        } else if (tag == u"tr") {
            Place([](const QString& t) { return t == u"table" || t == u"thead" || t == u"tbody" || t == u"tfoot"; },
                  u"table", {QStringLiteral("table")});
        } else if (tag == u"thead" || tag == u"tbody" || tag == u"tfoot" || tag == u"caption") {
            Place(is(u"table"));
        } else if (tag == u"dd" || tag == u"dt") {
            Place(is(u"dl"));
        } else if (tag == u"body" || tag == u"qt") {
            Place([](const QString& t) { return t != u"head"; });
        }
        // Qt matches the rules against the element and each ancestor, and
        // a rule naming an ancestor walks up from each again.
        Push(tag, true, Weight(tagBytes));
        Steps += open_.back().UpUp;
        if (tag.isEmpty() || closed || Childless(tag)) open_.pop_back();
    }
    // Back to the nearest open element of the name, if it is surely that.
    void Close(const QString& tag)
    {
        for (qsizetype k = qsizetype(open_.size()) - 1; !tag.isEmpty() && k >= 0; --k) {
            if (open_[k].Tag != tag) continue;
            if (open_[k].Sure)
                open_.resize(k);
            else
                MarkUnsure(0);
            return;
        }
    }

    QStringView html_;
    qsizetype pos_ = 0;
    std::vector<TOpen> open_;
    int64_t cells_ = 0;
};

} // namespace

std::optional<QString> THelpPageBudget::TakePage(const QByteArray& bytes, qsizetype defaultSheet)
{
    *this = {};
    QString html = QStringDecoder::decoderForHtml(bytes).decode(bytes);
    if (html.contains(QChar(0))) return std::nullopt;
    TPageReader page(ReadPart(html));
    if (!page.Read(MaxHelpStyleWork / (1 + defaultSheet))) return std::nullopt;
    styleSteps_ = page.Steps;
    styleBytes_ = defaultSheet + page.StyleBytes;
    if (!TakeSheet(QByteArray())) return std::nullopt;
    return html;
}

// A sheet read counts whether it is taken or not. The one is the share of
// the work that every element costs, rules or not.
bool THelpPageBudget::TakeSheet(const QByteArray& css)
{
    const int64_t bytes = css.size();
    if (bytes > SheetBytesLeft()) return false;
    sheetBytes_ += bytes;
    if (styleSteps_ * (1 + styleBytes_ + bytes) > MaxHelpStyleWork || Unbearable(css)) return false;
    styleBytes_ += bytes;
    return true;
}

bool THelpPageBudget::TakePicture(qsizetype fileBytes, QSize size)
{
    const int64_t bytes = int64_t{size.width()} * size.height() * 4;
    pictureBytes_ += fileBytes;
    if (!size.isValid() || bytes > PictureBytesLeft()) return false;
    pictureBytes_ += bytes;
    return true;
}
