#include "Main/Actions/Actions.h"

#include "Core/BaseLib/Debug.h"

#include <QCoreApplication>
#include <QMetaObject>

Actions& Actions::Instance()
{
    static Actions actions;
    return actions;
}

void Actions::Register(std::int32_t number, Handler handler)
{
    std::lock_guard<std::mutex> lock(m_lock);
    m_handlers[number] = std::move(handler);
}

void Actions::Unregister(std::int32_t number)
{
    std::lock_guard<std::mutex> lock(m_lock);
    m_handlers.erase(number);
}

int Actions::DoAsyncAction(std::int32_t number, const QVariant& argument)
{
    Handler handler;
    {
        std::lock_guard<std::mutex> lock(m_lock);
        const auto found = m_handlers.find(number);
        if (found != m_handlers.end())
            handler = found->second;
    }
    if (!handler)
    {
        DebugOut("%s %d No Handler", "Actions::DoAsyncAction", number);
        return 0;
    }
    QCoreApplication* application = QCoreApplication::instance();
    if (!application)
        return 0;
    const VRef<Action> action = VRef<Action>::Adopt(new Action(number));
    return QMetaObject::invokeMethod(
        application, [handler, action, argument]() { handler(action, argument); }, Qt::QueuedConnection);
}
