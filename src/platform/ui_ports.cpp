#include "platform/ui_ports.h"

#include <cstdio>

namespace veltrin {

void StderrMessageBoxes::showMessage(const std::string& text, const std::string& caption)
{
    std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
}

}  // namespace veltrin
