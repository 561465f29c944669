// vesta-rectify run as a user's script runs it, the rolled sample's four lines, and a kept
// construction replayed by the tool: what the batch tool's tests share.
#pragma once

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "BitmapBytes.h"
#include "cli/BatchRun.h"
#include "codec/ColourFileWriter.h"
#include "sidecar/ConstructionFile.h"
#include "sidecar/StateRecord.h"

namespace vesta::test {

inline const std::string kSample = VESTA_SAMPLES_DIR "/facciata_ruotata.bmp";
// The four lines of the rolled sample's notes, as the tool's options.
inline const std::string kLines =
    " --h1 234,174,615,135 --h2 201,352,602,379 --v1 163,448,216,174 --v2 635,525,651,129";

// On an 800 x 600 colour photograph these lines and this area give a 12803 x 8945 result:
// seconds of work, and some 690 MB of coefficients for a JPEG encoder.
inline const std::string kLargeArea = " --area -300,-200,1100,800";

struct Outcome {
    int code = 0;
    std::string out, err;
};

inline std::string textOf(const std::filesystem::path& path) {
    const std::vector<std::uint8_t> bytes = readBytes(path);
    return std::string(bytes.begin(), bytes.end());
}

// Runs the installed-style binary as a user's script would. `before` is shell text run first in
// the same process (limits, variables); the binary then replaces the shell and keeps its pid.
inline Outcome run(const std::string& args, const TempDir& dir, const std::string& before = "") {
    const auto out = dir / "stdout.txt";
    const auto err = dir / "stderr.txt";
    const std::string command = before + " exec " + VESTA_RECTIFY + " " + args + " > " +
                                out.string() + " 2> " + err.string();
    const int status = std::system(command.c_str());
    return {WEXITSTATUS(status), textOf(out), textOf(err)};
}

// The rolled sample's four lines and the area 200,150,620,500 on `input`, into `output` in `dir`,
// `more` options after.
inline Outcome runOnArea(const TempDir& dir, const std::string& input, const std::string& output,
                         const std::string& more = "") {
    return run(input + " " + (dir / output).string() + kLines + " --area 200,150,620,500" + more,
               dir);
}

// A colour photograph (800 x 600 unless `image` is given) written as NAME in `dir`; its path.
inline std::string colourPhotograph(const TempDir& dir, const std::string& name = "foto.png",
                                    const ColourImage& image = patternImage(800, 600, 3, 8)) {
    const std::string photo = (dir / name).string();
    EXPECT_EQ(saveColourImage(photo, image), "");
    return photo;
}

// The request of the rolled sample's four lines from `input` to `output`, `more` options after.
inline BatchRequest sampleRequest(const std::string& input, const std::string& output,
                                  const std::vector<std::string>& more = {}) {
    std::vector<std::string> args = {input,  output,
                                     "--h1", "234,174,615,135",
                                     "--h2", "201,352,602,379",
                                     "--v1", "163,448,216,174",
                                     "--v2", "635,525,651,129"};
    args.insert(args.end(), more.begin(), more.end());
    const ParsedArgs parsed = parseArgs(args);
    EXPECT_TRUE(parsed.request) << parsed.error;
    return parsed.request.value_or(BatchRequest{});
}

// Keeps the construction a run ended with as NAME.json in `dir`; false when there is none.
inline bool keepRecord(const BatchResult& done, const TempDir& dir, const std::string& name,
                       std::optional<double> focal35 = std::nullopt) {
    EXPECT_TRUE(done.ok) << done.message;
    const Result<ConstructionRecord> record = recordOf(done.state, focal35);
    EXPECT_TRUE(record.ok()) << (record.ok() ? "" : record.error());
    if (done.ok && record.ok()) {
        const std::string json = constructionJson(record.value());
        writeBytes(dir / (name + ".json"), std::vector<std::uint8_t>(json.begin(), json.end()));
    }
    return done.ok && record.ok();
}

// Keeps the construction a run ended with as NAME.json and replays it with the tool, `flags`
// added, into NAME with `made`'s extension, which must hold the very bytes of `made`. What the
// replay printed.
inline std::string replayed(const BatchResult& done, const std::string& made, const TempDir& dir,
                            const std::string& name, const std::string& flags = "",
                            std::optional<double> focal35 = std::nullopt) {
    if (!keepRecord(done, dir, name, focal35)) {
        return "";
    }
    const auto again = dir / (name + std::filesystem::path(made).extension().string());
    const Outcome r =
        run(again.string() + " --from " + (dir / (name + ".json")).string() + flags, dir);
    EXPECT_EQ(r.code, 0) << name << ": " << r.err;
    EXPECT_EQ(readBytes(again), readBytes(made)) << name;
    return r.out;
}

}  // namespace vesta::test
