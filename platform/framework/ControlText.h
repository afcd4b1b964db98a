#pragma once

#include <QString>

class QTextDocument;

#include <optional>
#include <string>
#include <string_view>

namespace pelmora::dlg {

// How the platform's controls hand out and take their texts.

QString ToQ(std::u16string_view text);

// Multi-line edits hand out their lines joined by CR LF, as the platform's
// edit control does, so texts stored from them stay exchangeable.
QString ToMultiline(std::u16string_view text);
// A multi-line field's text as typed, its lines joined by CR LF: the plain
// text conversion would turn no-break spaces into spaces and line
// separators into line breaks.
std::u16string MultilineText(const QTextDocument& document);

// A number field's text as the platform reads it: blanks around an optional
// minus sign (when signed) and decimal digits. Anything else, or a value
// that does not fit 32 bits, is no number.
std::optional<int> ParseDialogInt(std::u16string_view text, bool isSigned);

} // namespace pelmora::dlg
