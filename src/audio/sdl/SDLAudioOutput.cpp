#include "audio/sdl/SDLAudioOutput.hpp"

#include <SDL.h>

#include <string_view>

#if UMBRASCOPE_SDL_QUIET_ALSA
#include <alsa/asoundlib.h>
#endif

#include "audio/Mixer.hpp"

namespace umbrascope {

namespace {

void pull(void* userdata, Uint8* stream, int length) {
    const auto* puller = static_cast<const SDLAudioOutput::Puller*>(userdata);
    // The audio thread must never be the one it would keep waiting: the starting thread.
    puller->starter.checkOther("the audio callback");
    puller->mixer->render(reinterpret_cast<float*>(stream),
                          static_cast<std::size_t>(length) / (2 * sizeof(float)));
}

#if UMBRASCOPE_SDL_QUIET_ALSA
void ignoreALSAError(const char*, int, const char*, int, const char*, ...) {}
#endif

} // namespace

SDLAudioOutput::~SDLAudioOutput() {
    stop();
}

bool SDLAudioOutput::start(Mixer& mixer) {
    if (device_ != 0) return true;
#if UMBRASCOPE_SDL_QUIET_ALSA
    // Without a sound card alsa-lib would print its failures; the clicks are simply silent.
    snd_lib_error_set_handler(ignoreALSAError);
#endif
    // The application owns SIGINT and SIGTERM; SDL must not install handlers of its own.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
        problem_ = std::string("SDL found no audio device: ") + SDL_GetError();
        return false;
    }
    initialized_ = true;
    if (const char* driver = SDL_GetCurrentAudioDriver();
        driver != nullptr && std::string_view(driver) == "dummy") {
        problem_ = "SDL's dummy audio driver plays nothing";
        stop();
        return false;
    }
    SDL_AudioSpec wanted{};
    wanted.freq = static_cast<int>(Mixer::sampleRate);
    wanted.format = AUDIO_F32SYS;
    wanted.channels = 2;
    wanted.samples = 512;
    wanted.callback = pull;
    puller_ = Puller{&mixer, OwnerThread{}};
    wanted.userdata = &puller_;
    SDL_AudioSpec obtained{};
    // No changes allowed: SDL converts to the device's own format behind the callback.
    device_ = SDL_OpenAudioDevice(nullptr, 0, &wanted, &obtained, 0);
    if (device_ == 0) {
        problem_ = std::string("SDL could not open an audio device: ") + SDL_GetError();
        stop();
        return false;
    }
    problem_.clear();
    SDL_PauseAudioDevice(device_, 0);
    return true;
}

void SDLAudioOutput::stop() {
    if (device_ != 0) {
        SDL_CloseAudioDevice(device_); // waits for a running callback to return
        device_ = 0;
    }
    if (initialized_) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        initialized_ = false;
    }
}

} // namespace umbrascope
