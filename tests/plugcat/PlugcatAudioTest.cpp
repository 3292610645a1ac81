#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <cmath>
#include <gtest/gtest.h>
#include <sndfile.hh>
#include <vector>

namespace
{
using TestSupport::ProcessResult;

constexpr int kRate = 44100;
constexpr std::size_t kBlock = 1024;
// HostingDelay's latency and its Gain's default.
constexpr int kDelay = 32;
constexpr float kGain = 0.5f;

struct Sound
{
    int format = 0;
    int rate = 0;
    std::vector<std::vector<float>> channels;
};

Sound ReadSound(const QString& path)
{
    SndfileHandle file(QFile::encodeName(path).toStdString());
    const std::size_t frames = file.error() ? 0 : std::size_t(file.frames());
    std::vector<float> interleaved(frames * std::size_t(file.channels()));
    file.readf(interleaved.data(), sf_count_t(frames));
    Sound sound{file.format(), file.samplerate(), {}};
    sound.channels.assign(std::size_t(file.channels()), std::vector<float>(frames));
    for (std::size_t frame = 0; frame < frames; ++frame)
        for (std::size_t channel = 0; channel < sound.channels.size(); ++channel)
            sound.channels[channel][frame] = interleaved[frame * sound.channels.size() + channel];
    return sound;
}

void WriteSound(const QString& path, int format, const std::vector<std::vector<float>>& channels)
{
    SndfileHandle file(QFile::encodeName(path).toStdString(), SFM_WRITE, format, int(channels.size()), kRate);
    ASSERT_EQ(file.error(), 0) << file.strError();
    std::vector<float> interleaved;
    for (std::size_t frame = 0; frame < channels[0].size(); ++frame)
        for (const std::vector<float>& channel : channels)
            interleaved.push_back(channel[frame]);
    file.writef(interleaved.data(), sf_count_t(channels[0].size()));
}

std::vector<float> Sine(double hz, double level, std::size_t frames)
{
    std::vector<float> samples(frames);
    for (std::size_t frame = 0; frame < frames; ++frame)
        samples[frame] = float(level * std::sin(2 * M_PI * hz * double(frame) / kRate));
    return samples;
}

double Rms(const std::vector<float>& samples, std::size_t from, std::size_t to)
{
    double squares = 0.0;
    for (std::size_t frame = from; frame < to; ++frame)
        squares += double(samples[frame]) * samples[frame];
    return std::sqrt(squares / double(to - from));
}

// A format 0 file at 480 ticks a quarter note, at the default 120 beats a
// minute: middle C from tick 480 (0.5 s) to tick 960 (1 s).
QByteArray MidiFile()
{
    const QByteArray track = QByteArray::fromHex("83 60 90 3C 64" // 480 ticks, note on
                                                 "83 60 80 3C 00" // 480 ticks, note off
                                                 "00 FF 2F 00");  // end of track
    QByteArray file = QByteArray::fromHex("4D546864 00000006 0000 0001 01E0 4D54726B");
    const quint32 length = quint32(track.size());
    file.append(char(length >> 24)).append(char(length >> 16)).append(char(length >> 8)).append(char(length));
    return file + track;
}

// The hosting fixtures and the MIDI instrument, scanned by the real scanner.
class PlugcatAudioTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        const ProcessResult scan = Plugcat(
            {"scan", TestSupport::Vst2FixtureDir() + "/hosting", TestSupport::Vst2FixtureDir() + "/midi"});
        ASSERT_EQ(scan.exitCode, 0) << scan.err.toStdString();
    }

    QString Path(const QString& name) const { return m_dir.filePath(name); }
    ProcessResult Plugcat(const QStringList& arguments) const
    {
        return TestSupport::Plugcat(Path("prefs"), arguments);
    }
    QJsonObject Load(const QStringList& arguments) const
    {
        const ProcessResult run = Plugcat(QStringList{"load", "--json"} + arguments);
        EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
        return QJsonDocument::fromJson(run.out.toUtf8()).object();
    }

    QTemporaryDir m_dir;
};
} // namespace

TEST_F(PlugcatAudioTest, InputFileChannelsReachTheOutputFileThroughThePlugin)
{
    const std::size_t frames = 30000;
    WriteSound(Path("in.wav"), SF_FORMAT_WAV | SF_FORMAT_PCM_24,
               {Sine(440, 0.5, frames), Sine(1000, 0.25, frames)});
    const Sound in = ReadSound(Path("in.wav"));
    // Without an extension the output is a float WAV file.
    for (const auto& [name, format] :
         {std::pair<QString, int>{"out.flac", SF_FORMAT_FLAC}, {"out", SF_FORMAT_WAV | SF_FORMAT_FLOAT}})
    {
        SCOPED_TRACE(name.toStdString());
        const QJsonObject report =
            Load({"vst2:HostingDelay:1801", "--input", Path("in.wav"), "--output", Path(name)});
        EXPECT_EQ(report["sampleRate"].toInt(), kRate) << "the file's rate, not the default";
        const Sound out = ReadSound(Path(name));
        ASSERT_EQ(out.channels.size(), 2u);
        ASSERT_EQ(out.channels[0].size(), frames);
        EXPECT_EQ(out.rate, kRate);
        EXPECT_EQ(out.format & (SF_FORMAT_TYPEMASK | (format & SF_FORMAT_SUBMASK)), format);
        // Each channel is its own input, scaled and delayed: none is swapped
        // or mixed. The wrapper fades the first block in.
        double worst = 0.0;
        for (std::size_t channel = 0; channel < 2; ++channel)
            for (std::size_t frame = kBlock + kDelay; frame < frames; ++frame)
                worst = std::max(worst, double(std::fabs(out.channels[channel][frame] -
                                                         kGain * in.channels[channel][frame - kDelay])));
        EXPECT_LT(worst, 1e-5);
    }
}

// Each is refused before anything is written: an output file of the same
// name from before stays as it was, and no temporary is left.
TEST_F(PlugcatAudioTest, UnusableFilesFailWithoutTouchingTheOutput)
{
    WriteSound(Path("in.wav"), SF_FORMAT_WAV | SF_FORMAT_FLOAT, {Sine(440, 0.5, 4096), Sine(440, 0.5, 4096)});
    WriteSound(Path("empty.wav"), SF_FORMAT_WAV | SF_FORMAT_FLOAT, {{}, {}});
    TestSupport::WriteFile(Path("text.wav"), "not audio\n");
    TestSupport::WriteFile(Path("out.wav"), "earlier");
    const struct
    {
        QStringList arguments;
        const char* reason;
    } cases[] = {
        {{"--input", Path("text.wav"), "--output", Path("out.wav")}, "cannot read the audio file"},
        {{"--input", Path("empty.wav"), "--output", Path("out.wav")}, "holds no audio"},
        {{"--input", Path("in.wav"), "--output", Path("out.wav"), "--rate", "48000"},
         "is at 44100 Hz, not at the 48000 Hz"},
        {{"--midi", Path("text.wav"), "--output", Path("out.wav")}, "not a standard MIDI file"},
        {{"--midi", Path("missing.mid"), "--output", Path("out.wav")}, "cannot read the MIDI file"},
        {{"--input", Path("in.wav"), "--output", Path("out.xyz")},
         "no audio format has the extension '.xyz'"},
    };
    for (const auto& test : cases)
    {
        const ProcessResult run = Plugcat(QStringList{"load", "vst2:HostingDelay:1801"} + test.arguments);
        EXPECT_EQ(run.exitCode, 1) << test.arguments.join(' ').toStdString();
        EXPECT_TRUE(run.err.contains(test.reason)) << run.err.toStdString();
        EXPECT_TRUE(run.out.isEmpty());
    }
    EXPECT_EQ(TestSupport::ReadFile(Path("out.wav")), "earlier");
    EXPECT_EQ(QDir(m_dir.path()).entryList({"*out*"}, QDir::Files), QStringList({"out.wav"}));
}

// The instrument prints from its entry point, its open and every block, by
// printf, puts, std::cout and write(1): all of it must reach standard error.
TEST_F(PlugcatAudioTest, AnInstrumentSoundsWithTheHeldNoteOrPlaysTheMidiFileInTime)
{
    const ProcessResult run = Plugcat({"load", "vst2:ChattyInstrument:1901", "--json", "--seconds", "0.5"});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    QJsonParseError error;
    const QJsonObject held = QJsonDocument::fromJson(run.out.toUtf8(), &error).object();
    EXPECT_EQ(error.error, QJsonParseError::NoError) << run.out.toStdString();
    for (const char* line :
         {"chatty: printf from VSTPluginMain", "chatty: printf from effOpen", "chatty: printf from process",
          "chatty: puts", "chatty: cout", "chatty: write(1)"})
        EXPECT_TRUE(run.err.contains(line)) << line;
    EXPECT_TRUE(held["heldNote"].toBool());
    // Middle C at velocity 100 comes out at 100/254 of full scale: RMS 0.278.
    EXPECT_NEAR(held["output"]["rms"].toDouble(), 0.278, 0.01);

    TestSupport::WriteFile(Path("note.mid"), MidiFile());
    const QJsonObject played = Load({"vst2:ChattyInstrument:1901", "--rate", QString::number(kRate), "--midi",
                                     Path("note.mid"), "--output", Path("played.wav")});
    EXPECT_FALSE(played["heldNote"].toBool());
    EXPECT_EQ(played["midiEvents"].toInt(), 2);
    const Sound out = ReadSound(Path("played.wav"));
    ASSERT_EQ(out.channels.size(), 2u);
    // The file's last event and a second to ring out.
    ASSERT_EQ(out.channels[0].size(), std::size_t(2 * kRate));
    const std::size_t on = kRate / 2;
    const std::size_t off = kRate;
    EXPECT_EQ(Rms(out.channels[0], 0, on), 0.0);
    EXPECT_GT(Rms(out.channels[0], on, on + 64), 0.1) << "the note starts at its own frame";
    EXPECT_NEAR(Rms(out.channels[0], on, off), 0.278, 0.01);
    EXPECT_EQ(Rms(out.channels[0], off, 2 * kRate), 0.0);
    EXPECT_EQ(out.channels[0], out.channels[1]);
}
