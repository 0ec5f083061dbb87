#include <gtest/gtest.h>

#include <cerrno>

#include "midi/alsa/SequencerProblem.hpp"

namespace umbrascope::alsa {
namespace {

TEST(SequencerProblem, NamesTheCauseAndTheFixTheUserCanApply) {
    const struct {
        const char* name;
        int errorNumber;
        const char* line;
    } cases[] = {
        {"noDevice", -ENOENT,
         "the ALSA sequencer could not be opened: No such file or directory; is the snd-seq module "
         "loaded?"},
        {"positiveToo", ENOENT,
         "the ALSA sequencer could not be opened: No such file or directory; is the snd-seq module "
         "loaded?"},
        {"noPermission", -EACCES,
         "the ALSA sequencer could not be opened: Permission denied; is your user in the audio "
         "group?"},
        {"noFixKnown", -ENOMEM, "the ALSA sequencer could not be opened: Cannot allocate memory"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(sequencerOpenProblem(c.errorNumber), c.line) << c.name;
}

} // namespace
} // namespace umbrascope::alsa
