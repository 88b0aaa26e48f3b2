#ifndef NET_CONTENT_LENGTH_H_
#define NET_CONTENT_LENGTH_H_

#include <cstdint>
#include <string_view>

// The value of a Content-Length header: decimal digits only, fitting a signed 64-bit
// integer. Anything else (empty, signs, spaces, overflow) gives -1, "length unknown".
int64_t ParseContentLength(std::wstring_view text);

#endif  // NET_CONTENT_LENGTH_H_
