#pragma once

#include "Interfaces/EngineContext.h"
#include "Interfaces/ICorvaneInterface.h"

#include <QStringList>
#include <mutex>

// Stands in for the host application while it lives: records the engine's
// trace, expanded as the host would.
class LogCapture : public ICorvaneInterface
{
public:
    LogCapture() { EngineContext::Instance().SetInterface(this); }
    ~LogCapture() override { EngineContext::Instance().SetInterface(nullptr); }

    std::wstring GetPreferencesFolder() override { return {}; }
    QStringList GetPluginFolders() override { return {}; }
    void Log(int level, const wchar_t* format, ...) override;
    void Log(int level, const char* format, ...) override;

    QStringList Lines() const;
    int Count(const QString& text) const { return Lines().filter(text).size(); }

private:
    void Add(const QString& line);

    mutable std::mutex m_lock;
    QStringList m_lines;
};
