#include "CatalogueTestSupport.h"

#include "Interfaces/EngineContext.h"

#include <QApplication>
#include <QFile>
#include <cstdarg>
#include <cstdio>
#include <cwchar>
#include <gtest/gtest.h>

namespace
{
// Menus are widgets and actions are delivered by the event loop: the tests
// need an application, without a display.
class QtEnvironment : public ::testing::Environment
{
public:
    void SetUp() override
    {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char name[] = "catalogue_tests";
        static char* argv[] = {name, nullptr};
        m_application = std::make_unique<QApplication>(argc, argv);
    }
    void TearDown() override { m_application.reset(); }

private:
    std::unique_ptr<QApplication> m_application;
};

::testing::Environment* const g_environment = ::testing::AddGlobalTestEnvironment(new QtEnvironment);
} // namespace

namespace CatalogueTest
{
int TestPlugin::live = 0;

LogCapture::LogCapture()
{
    EngineContext::Instance().SetInterface(this);
}

LogCapture::~LogCapture()
{
    EngineContext::Instance().SetInterface(nullptr);
}

void LogCapture::Log(int, const wchar_t* format, ...)
{
    wchar_t line[1024] = {};
    va_list args;
    va_start(args, format);
    std::vswprintf(line, 1024, format, args);
    va_end(args);
    std::lock_guard<std::mutex> lock(m_lock);
    m_lines << QString::fromWCharArray(line);
}

void LogCapture::Log(int, const char* format, ...)
{
    char line[1024] = {};
    va_list args;
    va_start(args, format);
    std::vsnprintf(line, sizeof line, format, args);
    va_end(args);
    std::lock_guard<std::mutex> lock(m_lock);
    m_lines << QString::fromUtf8(line);
}

bool LogCapture::Contains(const QString& text) const
{
    return Count(text) > 0;
}

int LogCapture::Count(const QString& text) const
{
    std::lock_guard<std::mutex> lock(m_lock);
    int count = 0;
    for (const QString& line : m_lines)
        count += line.contains(text);
    return count;
}

std::shared_ptr<MessageCapture> MessageCapture::Install()
{
    auto capture = std::make_shared<MessageCapture>();
    SetCurrentVUI(capture);
    return capture;
}

bool TestPlugin::Initialise(float rate, std::uint32_t frames, const PluginPlacement&)
{
    sampleRate = rate;
    blockSize = frames;
    return true;
}

bool TestPlugin::SetBlockSize(std::uint32_t frames)
{
    blockSize = frames;
    return true;
}

bool TestPlugin::SetSampleRate(std::uint32_t rate)
{
    sampleRate = float(rate);
    return true;
}

bool TestPlugin::UpdateSpeakerArrangement(std::uint32_t input, std::uint32_t output, bool)
{
    arrangement = input == output ? input : 0;
    return true;
}

bool TestPlugin::SetPresetName(const std::wstring& name)
{
    presetName = name;
    return true;
}

TFDPluginFactory* TestRegistry::Find(const std::string& key)
{
    m_lastKey = key;
    return plugins.count(QString::fromStdString(key).toStdWString()) ? this : nullptr;
}

AudioPlugin* TestRegistry::CreateInstance()
{
    const std::wstring key = QString::fromStdString(m_lastKey).toStdWString();
    return new TestPlugin(plugins[key].name, key);
}

void TestRegistry::DestroyInstance(AudioPlugin* plugin)
{
    ++destroyed;
    delete plugin;
}

QByteArray ReadFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void WriteFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
    file.write(bytes);
}
} // namespace CatalogueTest
