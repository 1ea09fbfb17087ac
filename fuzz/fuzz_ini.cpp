// The INI layer on arbitrary files: the settings as the first activation
// reads them and the interface texts as the window's first show reads them;
// then one write and a re-read, as "Save" does.
#include <cstdint>
#include <string>

#include "browser/message_browser.h"
#include "config/interface_texts.h"
#include "config/settings.h"
#include "fuzz_util.h"
#include "platform/ini_file.h"

using namespace veltrin;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string path = fuzz::writeScratch("VELTRIN.INI", data, size);
    IniFile ini(path);

    Settings settings;
    readSamplingFreq(ini, settings);
    loadSettings(ini, settings);
    VELTRIN_FUZZ_CHECK(plausibleSamplingRate(settings.SamplingFreq));
    validZoom(settings.zoom);
    validWaterfallGain(settings.waterfallGain);

    InterfaceTexts texts;
    for (const InterfaceTextKey& key : interfaceTextKeys())
        setInterfaceText(texts, key.key, ini.readString("RxForm", key.key, ""));
    // The two texts with a placeholder, filled as the browser fills them.
    fillPlaceholder(texts.DeleteFileMessage, "file.txt");
    fillPlaceholder(texts.DeleteFolderFilesMessage, "VeltrinData/220315");

    // A value written into whatever the file holds is read back as written
    // (line breaks become blanks).
    if (ini.writeString("Veltrin", "FuzzKey", "a\r\nb")) {
        const std::string back = ini.readString("Veltrin", "FuzzKey", "<none>");
        VELTRIN_FUZZ_CHECK(back == "a  b");
    }
    return 0;
}
