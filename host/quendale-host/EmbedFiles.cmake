# Writes OUTPUT: the bytes of SCHEMA and LANGUAGE as two character arrays.
function(embed_array path name out)
  file(READ ${path} hex HEX)
  string(LENGTH "${hex}" hex_length)
  math(EXPR size "${hex_length} / 2")
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "'\\\\x\\1'," bytes "${hex}")
  string(REGEX REPLACE "(('\\\\x..',){16})" "\\1\n  " bytes "${bytes}")
  set(${out} "const char k${name}[] = {\n  ${bytes}0};\nconst std::size_t k${name}Size = ${size};\n" PARENT_SCOPE)
endfunction()

embed_array(${SCHEMA} Schema schema_text)
embed_array(${LANGUAGE} Language language_text)
file(WRITE ${OUTPUT}.tmp
  "// Generated from host/schema.sql and host/Language.sil; do not edit.\n"
  "#include \"EmbeddedFiles.h\"\n\nnamespace quendale {\nnamespace {\n"
  "${schema_text}${language_text}"
  "}  // namespace\n\n"
  "std::string_view EmbeddedSchema() { return {kSchema, kSchemaSize}; }\n"
  "std::string_view EmbeddedLanguageFile() { return {kLanguage, kLanguageSize}; }\n\n"
  "}  // namespace quendale\n")
file(COPY_FILE ${OUTPUT}.tmp ${OUTPUT} ONLY_IF_DIFFERENT)
file(REMOVE ${OUTPUT}.tmp)
