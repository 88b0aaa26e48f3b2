#ifndef BASE_HEX_DIGIT_H_
#define BASE_HEX_DIGIT_H_

// The value of one hexadecimal digit of either case, or -1 for any other code unit (narrow
// or wide; a negative char converts to a value outside every range).
constexpr int HexDigitValue(char32_t c) {
  if (c >= U'0' && c <= U'9')
    return static_cast<int>(c - U'0');
  if (c >= U'a' && c <= U'f')
    return static_cast<int>(c - U'a' + 10);
  if (c >= U'A' && c <= U'F')
    return static_cast<int>(c - U'A' + 10);
  return -1;
}

#endif  // BASE_HEX_DIGIT_H_
