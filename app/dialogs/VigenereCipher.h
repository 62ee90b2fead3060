// A Vigenere cipher over bytes: each byte is shifted by the byte of the key
// at the same position (the key repeats), modulo 256. It keeps a text out of
// plain sight in the program file; it is no protection.
#pragma once

#include <QByteArray>

// An empty key leaves the text as it is.
QByteArray VigenereEncode(const QByteArray& text, const QByteArray& key);
QByteArray VigenereDecode(const QByteArray& text, const QByteArray& key);
