// The one volume request that <winioctl.h> does not declare, checked against <ntddvol.h>, which
// cannot be included together with it (both define the extent structures).
#include "sys/Ioctl.h"

#include <cstddef>

namespace {
constexpr std::uint32_t kSetGptAttributes = sys::ioctl::IOCTL_VOLUME_SET_GPT_ATTRIBUTES;
}

#include <windows.h>
// After <windows.h>, whose types they use.
#include <devioctl.h>
#include <ntddvol.h>

static_assert(kSetGptAttributes == IOCTL_VOLUME_SET_GPT_ATTRIBUTES);

namespace {

namespace L = sys::ioctl;

// The offset, and for a typed field its width too.
#define HB_FIELD(T, F)                                                                             \
    static_assert(offsetof(::T, F) == L::OffsetOf(L::T::F) && L::WidthIs(L::T::F, sizeof(::T::F)), \
                  #T "." #F);
static_assert(sizeof(::VOLUME_SET_GPT_ATTRIBUTES_INFORMATION) ==
              L::VOLUME_SET_GPT_ATTRIBUTES_INFORMATION::kSize);
HB_FIELD(VOLUME_SET_GPT_ATTRIBUTES_INFORMATION, GptAttributes)
HB_FIELD(VOLUME_SET_GPT_ATTRIBUTES_INFORMATION, RevertOnClose)
HB_FIELD(VOLUME_SET_GPT_ATTRIBUTES_INFORMATION, ApplyToAllConnectedVolumes)
HB_FIELD(VOLUME_SET_GPT_ATTRIBUTES_INFORMATION, Reserved1)
HB_FIELD(VOLUME_SET_GPT_ATTRIBUTES_INFORMATION, Reserved2)

}  // namespace
