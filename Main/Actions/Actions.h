#pragma once

#include "Main/Actions/Action.h"

#include <QVariant>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>

// The process-wide registry of engine actions by number. Requests are posted
// to the handler on the application's thread, so a requester on any thread
// never runs the handler itself.
class Actions
{
public:
    // Engine actions the plug-in catalogue requests.
    static constexpr std::int32_t kReloadPlugins = 360;
    static constexpr std::int32_t kPluginListChanged = 362;

    using Handler = std::function<void(const VRef<Action>& action, const QVariant& argument)>;

    static Actions& Instance();

    void Register(std::int32_t number, Handler handler);
    void Unregister(std::int32_t number);
    // Nonzero when the request was posted; 0 when no handler is registered
    // (which is traced, never reported to the requester) or no application
    // runs to deliver it.
    int DoAsyncAction(std::int32_t number, const QVariant& argument = QVariant());

private:
    Actions() = default;

    std::mutex m_lock;
    std::map<std::int32_t, Handler> m_handlers;
};
