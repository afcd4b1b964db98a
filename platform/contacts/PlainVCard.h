#pragma once

#include "platform/contacts/VCardFields.h"

#include <string_view>

namespace pelmora {

// Reads a vCard that needs none of the transfer encodings (quoted-printable,
// base64, other character sets) and holds no line whose meaning depends on
// how forgiving a parser is, giving exactly what the general parser
// (libebook) gives, many times faster. False, with `fields` unspecified, for
// any other card: the general parser reads those. `card` runs from its BEGIN
// line to its END line, every line ending in CR LF.
bool ReadPlainVCard(std::string_view card, VCardFields& fields);

} // namespace pelmora
