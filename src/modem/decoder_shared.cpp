#include "modem/decoder_shared.h"

namespace veltrin {

std::uint8_t StatusMasks[kStatusMaskCount] = {};
float SpectrumRe[kSpectrumBins] = {};
float SpectrumIm[kSpectrumBins] = {};
int spectrumPending = 0;

}  // namespace veltrin
