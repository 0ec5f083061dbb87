#include "audio/Sound.hpp"

#include <array>
#include <cmath>
#include <numbers>

namespace umbrascope {

namespace {

struct SoundRecipe {
    double duration;     // seconds
    double startHz;      // frequency at t = 0
    double sweepHz;      // added linearly over the duration
    double decaySeconds; // envelope exp(-t / decay)
};

constexpr std::array<SoundRecipe, 1> recipes{{
    {0.012, 3000.0, 0.0, 0.003}, // tick
}};

} // namespace

std::vector<float> synthesizeSound(Sound sound, double sampleRate) {
    const auto& recipe = recipes[static_cast<std::size_t>(sound)];
    const auto frames = static_cast<std::size_t>(sampleRate * recipe.duration);
    std::vector<float> samples(frames);
    double phase = 0.0;
    for (std::size_t i = 0; i < frames; ++i) {
        const double t = static_cast<double>(i) / sampleRate;
        const double frequency = recipe.startHz + (t / recipe.duration) * recipe.sweepHz;
        phase += frequency * 2.0 * std::numbers::pi / sampleRate;
        samples[i] =
            static_cast<float>(std::sin(phase) * std::exp(-t / recipe.decaySeconds)) * 0.5f;
    }
    return samples;
}

} // namespace umbrascope
