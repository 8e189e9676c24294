# Writes the text file IN into the C++ source OUT as the character array
# NAME (a raw string literal), so the program carries it within itself.
#   cmake -DIN=<file> -DOUT=<file.cpp> -DNAME=<identifier> -P embed_text.cmake
file(READ "${IN}" text)
if(text MATCHES "\\)embedded\"")
  message(FATAL_ERROR "${IN} holds the literal's closing sequence")
endif()
file(WRITE "${OUT}.new" "// Made from ${IN} by embed_text.cmake; edit that file instead.
namespace paketlog {
namespace tool {
extern const char ${NAME}[];
const char ${NAME}[] = R\"embedded(${text})embedded\";
}  // namespace tool
}  // namespace paketlog
")
configure_file("${OUT}.new" "${OUT}" COPYONLY)
file(REMOVE "${OUT}.new")
