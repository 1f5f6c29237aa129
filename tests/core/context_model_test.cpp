// Readings from context: the model against its training script and the dev sentences, and
// the fix of misread characters.
#include "polyphone/context_model.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "editor/codec.h"
#include "editor/file_io.h"
#include "editor/gbk.h"
#include "shipped_model.h"

namespace fs = std::filesystem;

namespace {

const std::string kData = std::string(MKED_TEST_DATA) + "/readings/";

std::string Slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

std::vector<std::string> Lines(const std::string& path) {
    std::vector<std::string> out;
    std::istringstream in(Slurp(path));
    for (std::string line; std::getline(in, line);) out.push_back(line);
    return out;
}

// A labelled sentence: the character between the two U+2581 marks, in GBK.
struct Labelled {
    std::string text;
    size_t offset = 0;
    std::string label;  // in the table's spelling
};

std::string TableSpelling(const std::string& label) {
    std::string out;
    for (size_t i = 0; i < label.size(); ++i) {
        if (label.compare(i, 2, "u:") == 0) {
            out.push_back('v');
            ++i;
        } else if (label[i] != '5' || i + 1 != label.size()) {
            out.push_back(label[i]);
        }
    }
    return out;
}

std::vector<Labelled> LoadSet(const std::string& stem) {
    const std::vector<std::string> sents = Lines(stem + ".sent"), labels = Lines(stem + ".lb");
    EXPECT_EQ(sents.size(), labels.size());
    const std::string mark = "\xE2\x96\x81";
    std::vector<Labelled> out;
    for (size_t i = 0; i < sents.size() && i < labels.size(); ++i) {
        const size_t a = sents[i].find(mark), b = sents[i].find(mark, a + 3);
        const auto before = qdm::gbk::FromUtf8(sents[i].substr(0, a));
        const auto ch = qdm::gbk::FromUtf8(sents[i].substr(a + 3, b - a - 3));
        const auto after = qdm::gbk::FromUtf8(sents[i].substr(b + 3));
        EXPECT_TRUE(before && ch && after) << "sentence " << i + 1;
        if (!before || !ch || !after) continue;
        out.push_back({*before + *ch + *after, before->size(), TableSpelling(labels[i])});
    }
    return out;
}

const qdm::PolyContextModel& Shipped() {
    const qdm::PolyContextModel& model = ShippedModel();
    EXPECT_TRUE(model.HasModel());
    return model;
}

// The prediction at `offset`, or null when the character there is not polyphonic.
const qdm::PolyPrediction* At(const std::vector<qdm::PolyPrediction>& all, size_t offset) {
    for (const qdm::PolyPrediction& p : all)
        if (p.offset == offset) return &p;
    return nullptr;
}

// What the script predicts is listed for the characters it scores: polyphonic ones whose
// label the table lists.
bool Scored(const qdm::PolyReadingTable& table, const Labelled& s) {
    const auto& readings = table.Readings(
        qdm::PolyReadingTable::Code(static_cast<unsigned char>(s.text[s.offset]),
                                    static_cast<unsigned char>(s.text[s.offset + 1])));
    return readings.size() >= 2 &&
           std::find(readings.begin(), readings.end(), s.label) != readings.end();
}

// "char reading" lines of the C++ model over the sample, as the script writes them.
std::vector<std::string> PredictSample(const qdm::PolyContextModel& model) {
    std::vector<std::string> out;
    for (const Labelled& s : LoadSet(kData + "dev-sample")) {
        if (!Scored(model.Table(), s)) continue;
        const std::vector<qdm::PolyPrediction> all = model.Predict(s.text);
        const qdm::PolyPrediction* p = At(all, s.offset);
        EXPECT_NE(p, nullptr);
        if (p)
            out.push_back(qdm::gbk::ToUtf8(s.text.substr(s.offset, 2)) + " " +
                          std::string(p->reading));
    }
    return out;
}

qdm::PolyContextModel SliceModel(const std::string& path) {
    qdm::PolyContextModel model;
    std::string error;
    EXPECT_TRUE(model.Load(std::string(MKED_RES_DIR) + "/polyphone-readings.txt", path, error))
        << error;
    return model;
}

// What the shipped model read right of the sample when it was trained (scripts/train-readings).
constexpr int kMeasuredRight = 2043;

TEST(ContextModel, ReadsEveryCharacterAsItsTrainingScriptDoes) {
    // Trained characters (weights), untrained ones (the lexicon) and the first reading.
    EXPECT_EQ(PredictSample(SliceModel(kData + "slice-model.bin")),
              Lines(kData + "slice-predictions.txt"));
}

TEST(ContextModel, RetrainingOnASliceGivesTheCommittedFileAgain) {
    if (std::system("python3 -c '' 2>/dev/null") != 0) GTEST_SKIP() << "no python3";
    const fs::path dir = fs::temp_directory_path() / ("readings-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    const std::string cmd = "cd '" + kData + "' && python3 '" + MKED_RES_DIR +
                            "/../scripts/train_readings.py' --table '" + MKED_RES_DIR +
                            "/polyphone-readings.txt' --lexicon lexicon-slice.json"
                            " --train train-slice --out '" +
                            (dir / "model.bin").string() +
                            "' --bits 14 --epochs 4 --predict dev-sample --predict-out '" +
                            (dir / "predictions.txt").string() + "' >/dev/null";
    ASSERT_EQ(std::system(cmd.c_str()), 0);
    EXPECT_EQ(Slurp((dir / "model.bin").string()), Slurp(kData + "slice-model.bin"));
    EXPECT_EQ(Slurp((dir / "predictions.txt").string()), Slurp(kData + "slice-predictions.txt"));
    fs::remove_all(dir);
}

TEST(ContextModel, ReadsTheDevSampleAtTheMeasuredRate) {
    // Every tenth sentence of both dev sets; a guard against a model or a change that reads
    // worse, not a target. Labels the table cannot give count as misread.
    const std::vector<Labelled> sample = LoadSet(kData + "dev-sample");
    int right = 0;
    for (const Labelled& s : sample) {
        const std::vector<qdm::PolyPrediction> all = Shipped().Predict(s.text);
        const qdm::PolyPrediction* p = At(all, s.offset);
        const uint16_t code =
            qdm::PolyReadingTable::Code(static_cast<unsigned char>(s.text[s.offset]),
                                        static_cast<unsigned char>(s.text[s.offset + 1]));
        const auto& readings = Shipped().Table().Readings(code);
        const std::string reading = p                  ? std::string(p->reading)
                                    : readings.empty() ? std::string()
                                                       : readings[0];
        right += reading == s.label;
    }
    EXPECT_EQ(sample.size(), 2128u);
    EXPECT_GE(right, kMeasuredRight) << right << "/" << sample.size();
}

TEST(ContextModel, WithoutAModelEveryCharacterGetsItsFirstReading) {
    qdm::PolyContextModel model = SliceModel("");
    EXPECT_FALSE(model.HasModel());
    const std::string text = qdm::gbk::Lit("银行行长");
    const std::vector<qdm::PolyPrediction> all = model.Predict(text);
    ASSERT_EQ(all.size(), 3u);  // 行 行 长
    for (const qdm::PolyPrediction& p : all) EXPECT_FALSE(p.Changed());
    EXPECT_EQ(all[0].offset, 2u);
    EXPECT_EQ(all[0].reading, "xing2");
}

TEST(ContextModel, ADamagedModelFileIsRefusedWithItsName) {
    const fs::path path = fs::temp_directory_path() / ("bad-model-" + std::to_string(::getpid()));
    std::string bytes = Slurp(kData + "slice-model.bin");
    bytes.resize(bytes.size() - 1);
    std::ofstream(path, std::ios::binary) << bytes;
    qdm::PolyContextModel model;
    std::string error;
    EXPECT_FALSE(
        model.Load(std::string(MKED_RES_DIR) + "/polyphone-readings.txt", path.string(), error));
    EXPECT_EQ(error, path.string() + ": bad weight table");
    fs::remove(path);
}

}  // namespace
