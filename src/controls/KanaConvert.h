#pragma once
// Character-width and kana conversions used for captured readings: hiragana
// to katakana, and full-width to half-width (katakana with separate voicing
// marks, ASCII letters, digits, punctuation and the ideographic space).

#include <QString>

namespace controls {

QString toKatakana(const QString& text);
QString toHalfWidth(const QString& text);
QString toFullWidthKatakana(const QString& text); // half-width katakana -> full-width

// Cuts a text to at most maxBytes code page 932 bytes without splitting a
// character (the readings are limited as the original byte buffers were).
QString cutToSjisBytes(const QString& text, std::size_t maxBytes);

} // namespace controls
