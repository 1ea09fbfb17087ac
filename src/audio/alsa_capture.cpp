#include "audio/alsa_capture.h"

#include <alsa/asoundlib.h>

#include "platform/sound_devices.h"

namespace veltrin {

AlsaCapture::~AlsaCapture()
{
    close();
}

int AlsaCapture::fail(Stage stage, int error)
{
    failedStage_ = stage;
    close();
    return error;
}

int AlsaCapture::open(const std::string& name, int channels)
{
    close();
    failedStage_ = Stage::None;
    silenceAlsaDiagnostics();
    int err = snd_pcm_open(&pcm_, name.c_str(), SND_PCM_STREAM_CAPTURE, SND_PCM_NONBLOCK);
    if (err < 0) {
        pcm_ = nullptr;
        return fail(Stage::Open, err);
    }

    snd_pcm_hw_params_t* hw = nullptr;
    snd_pcm_hw_params_alloca(&hw);
    if ((err = snd_pcm_hw_params_any(pcm_, hw)) < 0)
        return fail(Stage::Format, err);
    if ((err = snd_pcm_hw_params_set_access(pcm_, hw, SND_PCM_ACCESS_RW_INTERLEAVED)) < 0 ||
        (err = snd_pcm_hw_params_set_format(pcm_, hw, SND_PCM_FORMAT_S16)) < 0 ||
        (err = snd_pcm_hw_params_set_channels(pcm_, hw, static_cast<unsigned>(channels))) < 0 ||
        (err = snd_pcm_hw_params_set_rate(pcm_, hw, kRate, 0)) < 0)
        return fail(Stage::Format, err);
    // The period and ring sizes are wishes; a device that cannot have them
    // gets its nearest, since reads are counted in frames anyway.
    snd_pcm_uframes_t period = kPeriodFrames;
    int dir = 0;
    snd_pcm_hw_params_set_period_size_near(pcm_, hw, &period, &dir);
    snd_pcm_uframes_t ring = kPeriodFrames * kPeriods;
    snd_pcm_hw_params_set_buffer_size_near(pcm_, hw, &ring);
    if ((err = snd_pcm_hw_params(pcm_, hw)) < 0)
        return fail(Stage::Format, err);

    snd_pcm_sw_params_t* sw = nullptr;
    snd_pcm_sw_params_alloca(&sw);
    if ((err = snd_pcm_sw_params_current(pcm_, sw)) < 0 ||
        (err = snd_pcm_sw_params_set_avail_min(pcm_, sw, period)) < 0 ||
        (err = snd_pcm_sw_params(pcm_, sw)) < 0)
        return fail(Stage::Software, err);
    if ((err = snd_pcm_prepare(pcm_)) < 0)
        return fail(Stage::Prepare, err);
    return 0;
}

int AlsaCapture::start()
{
    if (!pcm_)
        return -EBADFD;
    const int err = snd_pcm_start(pcm_);
    if (err < 0)
        return fail(Stage::Start, err);
    return 0;
}

void AlsaCapture::close()
{
    if (!pcm_)
        return;
    snd_pcm_drop(pcm_);
    snd_pcm_close(pcm_);
    pcm_ = nullptr;
}

int AlsaCapture::wait(int timeoutMs)
{
    if (!pcm_)
        return -EBADFD;
    return snd_pcm_wait(pcm_, timeoutMs);
}

long AlsaCapture::read(std::int16_t* into, long frames)
{
    if (!pcm_)
        return -EBADFD;
    return static_cast<long>(snd_pcm_readi(pcm_, into, static_cast<snd_pcm_uframes_t>(frames)));
}

int AlsaCapture::recover(int error)
{
    if (!pcm_)
        return -EBADFD;
    int err = snd_pcm_recover(pcm_, error, 1);
    if (err < 0)
        return err;
    // A capture device stays prepared after recovery until it is started.
    err = snd_pcm_start(pcm_);
    return err == -EBADFD ? 0 : err;
}

std::string AlsaCapture::errorText(int error)
{
    return snd_strerror(error);
}

}  // namespace veltrin
