#include "support/TestSupport.h"

namespace TestSupport
{
QString BinDir()
{
    return QStringLiteral(PLUGSWEEP_BIN_DIR);
}

QString SourceDir()
{
    return QStringLiteral(PLUGSWEEP_SOURCE_DIR);
}

QString Vst2FixtureDir()
{
    return QStringLiteral(PLUGSWEEP_VST2_FIXTURE_DIR);
}

QString Vst3FixtureDir()
{
    return QStringLiteral(PLUGSWEEP_VST3_FIXTURE_DIR);
}
} // namespace TestSupport
