#include "app/interface_texts.h"

#include <array>
#include <cctype>

namespace veltrin {

namespace {

#define VELTRIN_TEXT_KEY(name) InterfaceTextKey{#name, &InterfaceTexts::name}
constexpr std::array kKeys = {
    VELTRIN_TEXT_KEY(GpsIsOffMessage),
    VELTRIN_TEXT_KEY(NoDataFromGpsMessage),
    VELTRIN_TEXT_KEY(DeleteMessageMessage),
    VELTRIN_TEXT_KEY(DeleteFolderMessage),
    VELTRIN_TEXT_KEY(DeleteDailyFolderMessage),
    VELTRIN_TEXT_KEY(DeleteDailyLogMessage),
    VELTRIN_TEXT_KEY(DeleteFolderFilesMessage),
    VELTRIN_TEXT_KEY(DeleteFileMessage),
    VELTRIN_TEXT_KEY(MessWithHdrErrMessage),
    VELTRIN_TEXT_KEY(GpsErrorMessage),
    VELTRIN_TEXT_KEY(BeaconWoGpsMessage),
    VELTRIN_TEXT_KEY(GpsCoordUnknownMessage),
    VELTRIN_TEXT_KEY(ItIsKmlFileMessage),
    VELTRIN_TEXT_KEY(ClickTwiceMessage),
    VELTRIN_TEXT_KEY(GpsFileIsAbsentMessage),
};
#undef VELTRIN_TEXT_KEY

bool sameIgnoringCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

}  // namespace

std::span<const InterfaceTextKey> interfaceTextKeys()
{
    return kKeys;
}

bool setInterfaceText(InterfaceTexts& texts, std::string_view key, const std::string& value)
{
    for (const auto& k : kKeys) {
        if (sameIgnoringCase(key, k.key)) {
            if (!value.empty())
                texts.*(k.text) = value;
            return true;
        }
    }
    return false;
}

InterfaceTexts& interfaceTexts()
{
    static InterfaceTexts texts;
    return texts;
}

}  // namespace veltrin
