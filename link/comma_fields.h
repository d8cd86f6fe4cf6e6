#pragma once
// The instrument's messages and the settings and script files both carry
// values as comma-separated fields. They share this one splitting rule so
// that a value reads the same wherever it comes from.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace kelt {

// The first `count` fields of `text`, always exactly `count` of them; fields
// beyond the last one present are empty, fields after the count-th are never
// looked at.
//
// - Blanks (0x20 only; a tab is text) before a field are skipped.
// - A field that then begins with a double quote is the text up to the next
//   double quote, without the quotes; commas inside do not split, anything
//   between the closing quote and the next comma is dropped. A quote that is
//   never closed takes the rest of the text as it stands, and the fields
//   after it are empty.
// - Any other field runs to the next comma or the end and loses its trailing
//   blanks; a double quote further inside it is an ordinary character.
//
// One pass over the text: the cost is linear in its length.
std::vector<std::string> CommaFields(std::string_view text, std::size_t count);

}  // namespace kelt
