// Test helpers: packets from hex text, Windows-1251 expectations written as UTF-8.
#ifndef PAKETLOG_TESTS_BYTES_H
#define PAKETLOG_TESTS_BYTES_H

#include <string>
#include <vector>

namespace testing_support {

// "80 00 1f" or "80001f" -> bytes; anything but hex digits is skipped.
std::vector<unsigned char> hex(const std::string& text);
// UTF-8 text (ASCII and Cyrillic) -> its Windows-1251 bytes.
std::string w1251(const std::string& utf8);
// Little-endian writers; the vector grows as needed.
void put16(std::vector<unsigned char>& v, std::size_t at, unsigned value);
void put32(std::vector<unsigned char>& v, std::size_t at, unsigned value);

}  // namespace testing_support

#endif
