# Writes a C++ file that holds the bytes of INPUT as `const unsigned char SYMBOL[]` and their
# count as `SYMBOL##Size`, in namespace NAMESPACE. Run with cmake -P at build time.
file(READ "${INPUT}" hex HEX)
string(LENGTH "${hex}" hex_length)
math(EXPR size "${hex_length} / 2")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
# Sixteen bytes to a line keeps the generated file readable.
string(REGEX REPLACE "((0x[0-9a-f][0-9a-f],){16})" "\\1\n  " bytes "${bytes}")
get_filename_component(input_name "${INPUT}" NAME)
file(WRITE "${OUTPUT}.tmp"
  "// Generated from ${input_name} by embed_bytes.cmake; do not edit.\n"
  "#include <cstddef>\n\n"
  "namespace ${NAMESPACE} {\n"
  "extern const unsigned char ${SYMBOL}[];\n"
  "extern const std::size_t ${SYMBOL}Size;\n"
  "const unsigned char ${SYMBOL}[] = {\n  ${bytes}\n};\n"
  "const std::size_t ${SYMBOL}Size = ${size};\n"
  "}  // namespace ${NAMESPACE}\n")
file(RENAME "${OUTPUT}.tmp" "${OUTPUT}")
