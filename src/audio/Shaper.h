#pragma once

#include "audio/SoundShaping.h"

#include <cstdint>
#include <deque>
#include <memory>
#include <vector>

struct SwrContext;

namespace RubberBand {
class RubberBandStretcher;
}

namespace vok::audio {

// A run of shaped device frames: each stands for `stretch` device frames of the unshaped sound
// (1 on the plain path, 1 / time ratio when stretched, 0 for the stretcher's flushed tail).
struct ShapedRun {
    std::int64_t frames = 0;
    double stretch = 1.0;
};

// Which core of the time stretcher shapes the sound.
enum class StretchEngine { Faster, Finer };

// The decoder thread's shaping stage on device-format stereo: vocal reduction, then key and tempo
// through a real-time time stretcher. Its output aligns with its input: the stretcher's latency
// is padded in and dropped out after every Reset. Not thread-safe: one decoder thread owns it.
class Shaper {
  public:
    Shaper(int deviceRate, bool stereoSource, StretchEngine engine = StretchEngine::Finer);
    ~Shaper();
    Shaper(const Shaper&) = delete;
    Shaper& operator=(const Shaper&) = delete;

    // Starts afresh (a start, a seek, a change of settings): filters and stretcher reset.
    void Reset(const SoundShaping& shaping);
    // After a Reset while stretching: feeds the sound just before the new start, whose output is
    // dropped; `deviceFrames` is how many device frames of the song it stands for. Started from
    // silence, the stretcher's first 20 ms dip towards silence and glide in pitch; primed with
    // the song itself they come out as steady as the rest.
    void Prime(std::vector<float>& frames, double deviceFrames);
    // Shapes interleaved stereo `frames` in place; `final` flushes what the stretcher holds.
    // Appends the runs the output is made of.
    void Process(std::vector<float>& frames, bool final, std::vector<ShapedRun>& runs);
    bool Stretching() const { return stretching_; }

  private:
    void ReduceVocals(std::vector<float>& frames);
    void Stretch(std::vector<float>& frames, bool final, std::vector<ShapedRun>& runs);
    // Splits interleaved input into the planes the stretcher takes, through the key's resampler
    // when there is one; `final` also takes out what the resampler holds.
    std::size_t Planes(const std::vector<float>& frames, bool final);
    void Retrieve(std::vector<float>& out, std::vector<ShapedRun>& runs);
    void AddRuns(std::int64_t frames, std::vector<ShapedRun>& runs);
    double ExpectedFrames() const;

    const int deviceRate_;
    const bool stereoSource_;
    const StretchEngine engine_;
    // Vocal reduction: mix of the reduced sound (ramps to its target) and the bass filter.
    float vocalsTarget_ = 0.0f;
    float vocalsMix_ = 0.0f;
    double b0_ = 0, b1_ = 0, b2_ = 0, a1_ = 0, a2_ = 0;
    double z1_ = 0, z2_ = 0, z3_ = 0, z4_ = 0;
    // Stretcher, made on first use and kept.
    std::unique_ptr<RubberBand::RubberBandStretcher> stretcher_;
    bool stretching_ = false;
    double timeRatio_ = 1.0;
    // The key: the sound resampled to keyRate_ frames a second and stretched back to its length
    // (null at key 0). The stretcher's own resampler would cost more than its stretching.
    SwrContext* keyResampler_ = nullptr;
    int keyRate_ = 0;
    std::vector<float> keyed_;
    std::int64_t toDrop_ = 0;
    bool flushing_ = false;  // the song has ended: output beyond its frames is silence
    // Output frames still expected from input already fed, in order, with their stretch.
    struct Pending {
        double frames;
        double stretch;
    };
    std::deque<Pending> expected_;
    std::vector<float> left_, right_, outLeft_, outRight_;
};

}  // namespace vok::audio
