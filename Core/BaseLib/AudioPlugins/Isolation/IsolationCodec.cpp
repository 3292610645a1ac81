#include "Core/BaseLib/AudioPlugins/Isolation/IsolationCodec.h"

namespace
{
// Every item of a list takes at least its length word.
constexpr std::uint32_t kMinimumItemBytes = 4;
} // namespace

void IsolationCodec::Put(IsolationMessage& message, const PluginState& state)
{
    message.PutBytes(state.data).PutU32(state.isChunk).PutNarrow(state.name).PutText(state.identifier);
    message.PutI32(state.editorLeft)
        .PutI32(state.editorTop)
        .PutI32(state.editorWidth)
        .PutI32(state.editorHeight);
    message.PutU32(state.flags).PutU64(state.value).PutNarrow(state.text);
    message.PutU32(state.values[0]).PutU32(state.values[1]);
    message.PutU32(std::uint32_t(state.parameterNames.size()));
    for (const std::string& name : state.parameterNames)
        message.PutNarrow(name);
}

void IsolationCodec::Take(IsolationMessage& message, PluginState& state)
{
    state.data = message.TakeBytes();
    state.isChunk = message.TakeU32();
    state.name = message.TakeNarrow();
    state.identifier = message.TakeText();
    state.editorLeft = message.TakeI32();
    state.editorTop = message.TakeI32();
    state.editorWidth = message.TakeI32();
    state.editorHeight = message.TakeI32();
    state.flags = message.TakeU32();
    state.value = message.TakeU64();
    state.text = message.TakeNarrow();
    state.values[0] = message.TakeU32();
    state.values[1] = message.TakeU32();
    state.parameterNames.resize(message.TakeCount(kMinimumItemBytes));
    for (std::string& name : state.parameterNames)
        name = message.TakeNarrow();
}

void IsolationCodec::Put(IsolationMessage& message, const AudioPluginParameter& parameter)
{
    message.PutText(parameter.name).PutText(parameter.label).PutU32(parameter.stepCount);
    message.PutU32(parameter.currentStep).PutText(parameter.currentDisplay);
    message.PutText(parameter.displayAtMin).PutText(parameter.displayAtMax);
    message.PutU32(parameter.defaultStep).PutU32(parameter.kind).PutU32(parameter.identifier);
    message.PutU32(std::uint32_t(parameter.valueTexts.size()));
    for (const std::wstring& text : parameter.valueTexts)
        message.PutText(text);
}

void IsolationCodec::Take(IsolationMessage& message, AudioPluginParameter& parameter)
{
    parameter.name = message.TakeText();
    parameter.label = message.TakeText();
    parameter.stepCount = message.TakeU32();
    parameter.currentStep = message.TakeU32();
    parameter.currentDisplay = message.TakeText();
    parameter.displayAtMin = message.TakeText();
    parameter.displayAtMax = message.TakeText();
    parameter.defaultStep = message.TakeU32();
    parameter.kind = message.TakeU32();
    parameter.identifier = message.TakeU32();
    parameter.valueTexts.resize(message.TakeCount(kMinimumItemBytes));
    for (std::wstring& text : parameter.valueTexts)
        text = message.TakeText();
}

void IsolationCodec::Put(IsolationMessage& message, const IsolationDescription& description)
{
    message.PutText(description.name).PutText(description.displayName).PutText(description.vendor);
    message.PutText(description.creationText).PutText(description.identifierKey);
    message.PutText(description.identifierPrefix);
    message.PutI32(description.inputs).PutI32(description.outputs).PutI32(description.latency);
    message.PutI32(description.channelKind).PutI32(description.parameters).PutU32(description.blockSize);
    message.PutU32(description.hasEditor).PutU32(description.editorResizable).PutU32(description.effect);
    message.PutU32(description.wantsMidi).PutU32(description.bypassed);
}

void IsolationCodec::Take(IsolationMessage& message, IsolationDescription& description)
{
    description.name = message.TakeText();
    description.displayName = message.TakeText();
    description.vendor = message.TakeText();
    description.creationText = message.TakeText();
    description.identifierKey = message.TakeText();
    description.identifierPrefix = message.TakeText();
    description.inputs = message.TakeI32();
    description.outputs = message.TakeI32();
    description.latency = message.TakeI32();
    description.channelKind = message.TakeI32();
    description.parameters = message.TakeI32();
    description.blockSize = message.TakeU32();
    description.hasEditor = message.TakeBool();
    description.editorResizable = message.TakeBool();
    description.effect = message.TakeBool();
    description.wantsMidi = message.TakeBool();
    description.bypassed = message.TakeBool();
}
