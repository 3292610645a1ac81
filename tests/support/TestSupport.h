#pragma once

#include <QString>

// Paths the build hands to the tests.
namespace TestSupport
{
QString BinDir();
QString SourceDir();
QString Vst2FixtureDir();
QString Vst3FixtureDir();
} // namespace TestSupport
