// Compiled (syntax only) by ctest: with KIV_BAD_LITERAL the build must stop, because the
// literal holds a character the code page lacks; without it the same file must compile.
#include "platform/Codepage.h"

#include <string_view>

#ifdef KIV_BAD_LITERAL
constexpr std::string_view Text = "ошибка"_cp;
#else
constexpr std::string_view Text = "Błąd"_cp;
#endif

static_assert(Text.size() == 4 || Text.size() == 6);
