// Stands in for PlugSweepHost as a corrupted child would: it answers the
// proxy's requests with counts and lengths past every bound, and fills the
// shared block with nonsense. ISOLATION_LIE chooses the lies: "counts" (the
// default) or "oversized" (a reply frame longer than any message may be).
#include "Core/BaseLib/AudioPlugins/Isolation/IsolationBlock.h"
#include "Core/BaseLib/AudioPlugins/Isolation/IsolationChannel.h"
#include "Core/BaseLib/AudioPlugins/Isolation/IsolationCodec.h"
#include "Core/BaseLib/AudioPlugins/Isolation/IsolationProtocol.h"
#include "Platform/SharedMemory.h"
#include "Platform/WakeWord.h"

#include <QByteArray>
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <thread>

namespace
{
int Argument(int argc, char* argv[], const char* name)
{
    for (int index = 1; index + 1 < argc; ++index)
        if (std::strcmp(argv[index], name) == 0)
            return std::atoi(argv[index + 1]);
    return -1;
}

// Finishes every block at once, with the description fields scrambled and
// a notice counted that never comes.
void AnswerBlocks(const IsolationBlock& block, const std::atomic<bool>& stop)
{
    IsolationBlock::Header& fields = block.Fields();
    std::uint32_t seen = 0;
    while (!stop)
    {
        const std::uint32_t asked = fields.request.load();
        if (asked == seen)
        {
            Platform::WaitWhileWordIs(fields.request, seen, 100000);
            continue;
        }
        seen = asked;
        fields.frames = 0xffffffffu;
        fields.outputs = 0xffffffffu;
        fields.midiCount = 0xffffffffu;
        fields.notices.fetch_add(7);
        fields.done.store(asked);
        Platform::WakeWordSleepers(fields.done);
    }
}

IsolationMessage Lie(IsolationRequest request)
{
    IsolationMessage reply;
    switch (request)
    {
    case IsolationRequest::Create:
        reply.PutU32(1).PutText(L"");
        break;
    case IsolationRequest::Describe:
    {
        IsolationDescription description;
        description.name = L"Liar";
        description.inputs = 1000;
        description.outputs = -7;
        description.parameters = -3;
        description.latency = 0x7fffffff;
        IsolationCodec::Put(reply, description);
        break;
    }
    case IsolationRequest::StorePreset:
        // Stored, with a chunk that claims more bytes than follow.
        reply.PutU32(1).PutU32(0xfffffff0u);
        break;
    default:
        // A count or a length as large as it gets, and nothing behind it.
        reply.PutU32(0x7fffffffu);
        break;
    }
    return reply;
}
} // namespace

int main(int argc, char* argv[])
{
    Platform::SharedMemory memory;
    if (!memory.Attach(Argument(argc, argv, IsolationArguments::kMemory), IsolationBlock::kBytes))
        return 2;
    Platform::LocalSocket socket(Argument(argc, argv, IsolationArguments::kSocket));
    IsolationChannel channel(socket);
    const IsolationBlock block(memory.Data());
    std::atomic<bool> stop{false};
    std::thread blocks([&] { AnswerBlocks(block, stop); });
    const bool oversized = qgetenv("ISOLATION_LIE") == "oversized";
    for (;;)
    {
        std::uint32_t kind = 0;
        IsolationMessage request;
        if (channel.Receive(kind, request, -1) != IsolationChannel::Result::Done ||
            kind == std::uint32_t(IsolationRequest::Quit))
            break;
        if (oversized && kind != std::uint32_t(IsolationRequest::Create))
        {
            const std::uint32_t frame[2] = {IsolationFrame::kReply, 0xffffffffu};
            socket.Send(frame, sizeof frame);
            continue;
        }
        channel.Send(IsolationFrame::kReply, Lie(IsolationRequest(kind)));
    }
    stop = true;
    blocks.join();
    return 0;
}
