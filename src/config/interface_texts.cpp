#include "config/interface_texts.h"

#include <array>

#include "platform/text_util.h"

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

// The two texts a name is filled into must keep exactly one "%s" and no
// other conversion, so that a translation can never make the filling go
// wrong.
bool isFormatText(const std::string InterfaceTexts::*text)
{
    return text == &InterfaceTexts::DeleteFolderFilesMessage || text == &InterfaceTexts::DeleteFileMessage;
}

}  // namespace

bool usableFormatText(const std::string& text)
{
    int placeholders = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%')
            continue;
        if (i + 1 >= text.size() || text[i + 1] != 's')
            return false;
        ++placeholders;
        ++i;
    }
    return placeholders == 1;
}

std::span<const InterfaceTextKey> interfaceTextKeys()
{
    return kKeys;
}

bool setInterfaceText(InterfaceTexts& texts, std::string_view key, const std::string& value)
{
    for (const auto& k : kKeys) {
        if (equalsIgnoringCase(key, k.key)) {
            if (!value.empty() && (!isFormatText(k.text) || usableFormatText(value)))
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
