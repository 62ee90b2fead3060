#include "app/dialogs/VigenereCipher.h"

namespace {

QByteArray Shift(const QByteArray& text, const QByteArray& key, int sign)
{
    if (key.isEmpty()) return text;
    QByteArray out(text.size(), '\0');
    for (qsizetype i = 0; i < text.size(); ++i) {
        const int k = static_cast<unsigned char>(key[i % key.size()]);
        out[i] = static_cast<char>((static_cast<unsigned char>(text[i]) + sign * k + 256) % 256);
    }
    return out;
}

} // namespace

QByteArray VigenereEncode(const QByteArray& text, const QByteArray& key) { return Shift(text, key, +1); }

QByteArray VigenereDecode(const QByteArray& text, const QByteArray& key) { return Shift(text, key, -1); }
