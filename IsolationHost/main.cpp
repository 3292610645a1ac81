// The process an isolated plug-in runs in. The host starts it with one end
// of a socket and the shared block as inherited descriptors; whatever the
// plug-in does here, the host's process lives on.
#include "Core/BaseLib/AudioPlugins/Isolation/IsolationBlock.h"
#include "Core/BaseLib/AudioPlugins/Isolation/IsolationProtocol.h"
#include "IsolationHost/IsolationServer.h"
#include "Platform/LocalSocket.h"
#include "Platform/SharedMemory.h"
#include "Platform/SystemServices.h"

#include <QApplication>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace
{
constexpr int kExitUsage = 2;

int DescriptorArgument(int argc, char* argv[], const char* name)
{
    for (int index = 1; index + 1 < argc; ++index)
        if (std::strcmp(argv[index], name) == 0)
            return std::atoi(argv[index + 1]);
    return -1;
}

// Plug-in editors need a display; without one, Qt's offscreen platform
// keeps the rest working.
void ChoosePlatform()
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY") &&
        qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
}

void QuietMessages(QtMsgType, const QMessageLogContext&, const QString&) {}
} // namespace

int main(int argc, char* argv[])
{
    const int socketDescriptor = DescriptorArgument(argc, argv, IsolationArguments::kSocket);
    const int memoryDescriptor = DescriptorArgument(argc, argv, IsolationArguments::kMemory);
    Platform::SharedMemory memory;
    if (socketDescriptor < 0 || !memory.Attach(memoryDescriptor, IsolationBlock::kBytes))
    {
        std::fprintf(stderr, "PlugSweepHost: started by the catalogue only, with %s FD %s FD\n",
                     IsolationArguments::kSocket, IsolationArguments::kMemory);
        return kExitUsage;
    }
    // A plug-in that crashes here leaves no core file behind.
    Platform::Services().SetErrorMode(Platform::kNoGpFaultErrorBox);
    ChoosePlatform();
    qInstallMessageHandler(QuietMessages);
    QApplication application(argc, argv);
    Platform::LocalSocket socket(socketDescriptor);
    {
        IsolationServer server(socket, memory.Data());
        server.Run();
    }
    // Plug-ins may leave threads and static objects that do not survive the
    // ordinary exit; the plug-in was closed above, so nothing is lost.
    std::fflush(nullptr);
    std::_Exit(0);
}
