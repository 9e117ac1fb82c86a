// Decoding whole sound files to 16-bit stereo frames, as sounds are loaded.
// bench/run makes the files (5 s of a chord at 44.1 kHz, stereo) with ffmpeg
// and names their folder in KV_BENCH_SOUNDS.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "platform/media/KVAudioDecoder.h"

namespace {

void decode(benchmark::State& state, const char* file)
{
    const char* folder = std::getenv("KV_BENCH_SOUNDS");
    if (!folder) {
        state.SkipWithError("KV_BENCH_SOUNDS names no folder of sounds");
        return;
    }
    const std::string path = std::string(folder) + "/" + file;
    int64_t frames = 0;
    for (auto _ : state) {
        std::string error;
        auto decoder = KVAudioDecoder::open(path, 2, &error);
        std::vector<int16_t> samples;
        if (!decoder || !decoder->readAll(&samples)) {
            state.SkipWithError((path + ": " + (decoder ? decoder->error() : error)).c_str());
            return;
        }
        frames += static_cast<int64_t>(samples.size() / 2);
        benchmark::DoNotOptimize(samples.data());
    }
    // Frames decoded per second (the CSV report wants the same columns for
    // every benchmark, so no counter of its own).
    state.SetItemsProcessed(frames);
}

}  // namespace

BENCHMARK_CAPTURE(decode, ogg_vorbis, "sound.ogg")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(decode, aac_m4a, "sound.m4a")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(decode, mp3, "sound.mp3")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(decode, wav, "sound.wav")->Unit(benchmark::kMillisecond);
