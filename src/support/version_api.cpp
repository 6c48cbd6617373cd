// The exported library version, and the build-time check that the header's
// version macros agree with the project version the build was given.
#include <string_view>

#include "vessa.h"

static_assert(std::string_view{VESSA_VERSION_STRING} == VESSA_PROJECT_VERSION,
              "VESSA_VERSION_STRING in vessa.h differs from the project version");
static_assert(VESSA_VERSION_MAJOR == VESSA_PROJECT_VERSION_MAJOR &&
                  VESSA_VERSION_MINOR == VESSA_PROJECT_VERSION_MINOR &&
                  VESSA_VERSION_PATCH == VESSA_PROJECT_VERSION_PATCH,
              "the version numbers in vessa.h differ from the project version");

extern "C" const char *vessa_version(void) noexcept { return VESSA_VERSION_STRING; }
