#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <functional>

// Record files hold Windows-1252 text with CR LF line ends.
namespace record_encoding {

// Encodes text for a record file. A character that Windows-1252 cannot hold
// becomes a numeric character reference such as "&#916;", so nothing typed
// is lost.
QByteArray encode(const QString& text);

QString decode(QByteArrayView bytes);

// Whether Windows-1252 has a byte for the character.
bool holds(char32_t codePoint);

// Turns the references that encode() writes back into their characters. Only
// its exact form counts, "&#" and the decimal code without leading zeros and
// ";", and only for a character that Windows-1252 cannot hold: encode() never
// writes any other, so "&#65;" typed by hand stays as it is.
QString restoreReferences(const QString& text);

// The inverse of encode(): decode() and restoreReferences().
QString decodeTyped(QByteArrayView bytes);

// Splits file contents into lines at CR LF or a lone CR, without the line
// ends. A last line without a line end counts; an empty file has no lines.
QStringList splitLines(const QString& text);

// The same lines, handed one by one to `visit` as views into `text`, without
// building a list.
void forEachLine(const QString& text, const std::function<void(QStringView)>& visit);

}  // namespace record_encoding
