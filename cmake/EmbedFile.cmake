# Writes OUTPUT, a C++ file whose function SYMBOL (in namespace umbrascope) returns the bytes of
# INPUT as a std::string_view. Run at build time: cmake -DINPUT=.. -DOUTPUT=.. -DSYMBOL=.. -P
file(READ ${INPUT} hex HEX)
string(LENGTH "${hex}" digits)
if(digits EQUAL 0)
  message(FATAL_ERROR "${INPUT} is empty")
endif()
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
string(REGEX REPLACE "((0x[0-9a-f][0-9a-f],){16})" "\\1\n    " bytes "${bytes}")
get_filename_component(name ${INPUT} NAME)
file(WRITE ${OUTPUT}.tmp
"// Generated at build time from ${name}; edit that file instead.
#include <string_view>

namespace umbrascope {

namespace {
constexpr unsigned char bytes[] = {
    ${bytes}
};
} // namespace

std::string_view ${SYMBOL}() {
    return {reinterpret_cast<const char*>(bytes), sizeof bytes};
}

} // namespace umbrascope
")
# Only a changed file is replaced, so an unchanged input rebuilds nothing.
file(COPY_FILE ${OUTPUT}.tmp ${OUTPUT} ONLY_IF_DIFFERENT)
file(REMOVE ${OUTPUT}.tmp)
