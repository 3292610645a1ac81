#include "CatalogueTestSupport.h"

#include <QApplication>
#include <QMenu>
#include <gtest/gtest.h>

namespace
{
// Menus are widgets and actions are delivered by the event loop: the tests
// need an application, without a display.
struct QtEnvironment : ::testing::Environment
{
    void SetUp() override
    {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char name[] = "catalogue_tests";
        static char* argv[] = {name, nullptr};
        application = std::make_unique<QApplication>(argc, argv);
    }
    void TearDown() override { application.reset(); }
    std::unique_ptr<QApplication> application;
};

::testing::Environment* const g_environment = ::testing::AddGlobalTestEnvironment(new QtEnvironment);
} // namespace

namespace CatalogueTest
{
int TestPlugin::live = 0;

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

QStringList DescribeMenu(const QMenu& menu, const QString& indent)
{
    QStringList lines;
    for (const QAction* action : menu.actions())
    {
        if (action->isSeparator())
            lines << indent + "----";
        else if (action->menu())
            lines << indent + action->menu()->title() + "/" << DescribeMenu(*action->menu(), indent + "  ");
        else
            lines << indent + action->text() + " = " + action->data().toString();
    }
    return lines;
}
} // namespace CatalogueTest
