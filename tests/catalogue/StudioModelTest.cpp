#include "CatalogueTestSupport.h"
#include "Main/Actions/Actions.h"
#include "Main/StudioModel/ChannelFormat.h"

#include <QCoreApplication>
#include <gtest/gtest.h>

TEST(StudioModel, ChannelFormatsFromMonoToAmbisonics)
{
    for (std::uint32_t code = 1; code <= 8; ++code)
    {
        const ChannelFormat* format = ChannelFormat::Find(code);
        ASSERT_NE(format, nullptr) << code;
        EXPECT_EQ(format->ChannelCount(), std::int32_t(code));
        EXPECT_EQ(format->HasLfe(), code >= 6) << code;
    }
    EXPECT_EQ(ChannelFormat::Find(0), nullptr);
    EXPECT_EQ(ChannelFormat::Find(2)->PositionMask(), ChannelFormat::kLeft | ChannelFormat::kRight);
    const ChannelFormat* ambisonic = ChannelFormat::Find(16);
    ASSERT_NE(ambisonic, nullptr);
    EXPECT_EQ(ambisonic->kind, ChannelFormat::kAmbisonic);
    EXPECT_EQ(ambisonic->ChannelCount(), 4);
}

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
