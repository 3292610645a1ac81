#include "Main/Actions/Actions.h"
#include "support/LogCapture.h"

#include <QCoreApplication>
#include <gtest/gtest.h>

TEST(Actions, RequestsArePostedToTheHandlerOrTraced)
{
    LogCapture log;
    EXPECT_EQ(Actions::Instance().DoAsyncAction(9999), 0);
    EXPECT_TRUE(log.Contains("Actions::DoAsyncAction 9999 No Handler"));

    std::vector<std::pair<int, QVariant>> received;
    Actions::Instance().Register(9998, [&received](const VRef<Action>& action, const QVariant& argument)
                                 { received.emplace_back(action->Number(), argument); });
    EXPECT_NE(Actions::Instance().DoAsyncAction(9998, true), 0);
    // Asynchronous: nothing runs until the application's loop delivers it.
    EXPECT_TRUE(received.empty());
    QCoreApplication::processEvents();
    Actions::Instance().Unregister(9998);
    ASSERT_EQ(received.size(), 1u);
    EXPECT_EQ(received[0], std::make_pair(9998, QVariant(true)));
    EXPECT_EQ(Actions::Instance().DoAsyncAction(9998), 0);
}
