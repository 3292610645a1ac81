#include "Core/BaseLib/AudioPlugins/AUHost.h"

#include "Main/StudioModel/StudioModel.h"

AUHost& AUHost::Instance()
{
    static AUHost host;
    return host;
}

std::int64_t AUHost::TimeBase()
{
    return StudioModel::Instance().TimeBase();
}
