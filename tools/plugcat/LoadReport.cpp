#include "tools/plugcat/LoadReport.h"

#include "Core/BaseLib/AudioPlugins/AudioPlugin.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTextStream>

namespace
{
const char* KindName(std::uint32_t kind)
{
    switch (kind)
    {
    case AudioPluginParameter::Switch:
        return "switch";
    case AudioPluginParameter::List:
        return "list";
    case AudioPluginParameter::Fixed:
        return "fixed";
    default:
        return "continuous";
    }
}

QJsonObject LevelJson(const PluginRunner::Level& level)
{
    return {{QStringLiteral("rms"), level.rms}, {QStringLiteral("peak"), level.peak}};
}

// Null for a file that was not used.
QJsonValue FileJson(const AudioFormat::Facts& file)
{
    if (file.path.isEmpty())
        return QJsonValue::Null;
    return QJsonObject{
        {QStringLiteral("path"), file.path},
        {QStringLiteral("format"), file.format},
        {QStringLiteral("channels"), file.channels},
        {QStringLiteral("sampleRate"), double(file.sampleRate)},
        {QStringLiteral("frames"), double(file.frames)},
        {QStringLiteral("seconds"), file.sampleRate ? double(file.frames) / file.sampleRate : 0.0},
    };
}

QString FileText(const AudioFormat::Facts& file)
{
    return QStringLiteral("%1 (%2, %3 channels, %4 Hz, %5 frames)")
        .arg(file.path, file.format)
        .arg(file.channels)
        .arg(file.sampleRate)
        .arg(file.frames);
}

QString LevelText(const PluginRunner::Level& level)
{
    return QStringLiteral("RMS %1, peak %2").arg(level.rms, 0, 'f', 4).arg(level.peak, 0, 'f', 4);
}
} // namespace

void LoadReport::Describe(AudioPlugin& plugin)
{
    identifier = QString::fromStdWString(plugin.GetIdentifierPrefix() + plugin.GetIdentifierKey());
    name = QString::fromStdWString(plugin.GetName());
    vendor = QString::fromStdWString(plugin.GetVendor());
    inputs = plugin.GetNumInputs();
    outputs = plugin.GetNumOutputs();
    latency = plugin.GetLatency();
    bypassed = plugin.IsBypassed();
    std::vector<AudioPluginParameter> table;
    plugin.GetParameterTable(table);
    parameters.clear();
    for (std::size_t index = 0; index < table.size(); ++index)
        parameters.push_back({table[index], plugin.GetParameter(std::int32_t(index))});
}

QString LoadReport::Text() const
{
    QString text;
    QTextStream out(&text);
    out << "Plug-in     " << name << " (" << identifier << ")" << (vendor.isEmpty() ? "" : ", ") << vendor
        << '\n'
        << "Audio       " << sampleRate << " Hz, " << blockSize << "-frame blocks, " << run.blocks
        << " blocks (" << QString::number(seconds, 'f', 2) << " s), " << inputs << " in, " << outputs
        << " out\n";
    FilesText(out);
    out << "Latency     " << latency << " samples\n"
        << "Bypass      " << (bypassed ? "on" : "off") << '\n'
        << "Isolated    " << (isolated ? "yes" : "no") << '\n'
        << "Parameters  " << parameters.size() << '\n';
    for (std::size_t index = 0; index < parameters.size(); ++index)
    {
        const Parameter& parameter = parameters[index];
        out << qSetFieldWidth(6) << index << qSetFieldWidth(0) << "  "
            << QString::fromStdWString(parameter.record.name).leftJustified(28) << ' '
            << QString::number(parameter.value, 'f', 4) << "  "
            << QString::fromStdWString(parameter.record.currentDisplay).trimmed() << ' '
            << QString::fromStdWString(parameter.record.label) << "  [" << KindName(parameter.record.kind)
            << "]\n";
    }
    out << "Input       " << LevelText(run.input) << '\n' << "Output      " << LevelText(run.output) << '\n';
    for (std::size_t channel = 0; channel < run.outputChannels.size(); ++channel)
        out << "  channel " << channel + 1 << "   " << LevelText(run.outputChannels[channel]) << '\n';
    if (run.nonFinite)
        out << "Non-finite  " << run.nonFinite << " samples\n";
    if (bypassed)
        out << "Dry residual " << QString::number(run.dryResidual, 'g', 3) << '\n';
    out.flush();
    return text;
}

void LoadReport::FilesText(QTextStream& out) const
{
    if (!inputFile.path.isEmpty())
        out << "Input file  " << FileText(inputFile) << '\n';
    if (!midiFile.isEmpty())
        out << "MIDI file   " << midiFile << " (" << midiEvents << " events)\n";
    if (heldNote)
        out << "MIDI        middle C, velocity 100, held\n";
    if (!outputFile.path.isEmpty())
        out << "Output file " << FileText(outputFile) << '\n';
}

QString LoadReport::Json() const
{
    QJsonArray parameterArray;
    for (std::size_t index = 0; index < parameters.size(); ++index)
    {
        const AudioPluginParameter& record = parameters[index].record;
        parameterArray.append(QJsonObject{
            {QStringLiteral("index"), int(index)},
            {QStringLiteral("name"), QString::fromStdWString(record.name)},
            {QStringLiteral("label"), QString::fromStdWString(record.label)},
            {QStringLiteral("value"), double(parameters[index].value)},
            {QStringLiteral("display"), QString::fromStdWString(record.currentDisplay).trimmed()},
            {QStringLiteral("kind"), QLatin1String(KindName(record.kind))},
            {QStringLiteral("steps"), double(record.stepCount)},
        });
    }
    QJsonArray channels;
    for (const PluginRunner::Level& level : run.outputChannels)
        channels.append(LevelJson(level));
    QJsonObject output = LevelJson(run.output);
    output.insert(QStringLiteral("channels"), channels);
    output.insert(QStringLiteral("nonFinite"), double(run.nonFinite));
    output.insert(QStringLiteral("dryResidual"), run.dryResidual);
    const QJsonObject object{
        {QStringLiteral("id"), identifier},
        {QStringLiteral("name"), name},
        {QStringLiteral("vendor"), vendor},
        {QStringLiteral("sampleRate"), double(sampleRate)},
        {QStringLiteral("blockSize"), double(blockSize)},
        {QStringLiteral("blocks"), double(run.blocks)},
        {QStringLiteral("seconds"), seconds},
        {QStringLiteral("inputs"), inputs},
        {QStringLiteral("outputs"), outputs},
        {QStringLiteral("latency"), latency},
        {QStringLiteral("bypassed"), bypassed},
        {QStringLiteral("isolated"), isolated},
        {QStringLiteral("parameters"), parameterArray},
        {QStringLiteral("input"), LevelJson(run.input)},
        {QStringLiteral("output"), output},
        {QStringLiteral("inputFile"), FileJson(inputFile)},
        {QStringLiteral("outputFile"), FileJson(outputFile)},
        {QStringLiteral("midiFile"),
         midiFile.isEmpty() ? QJsonValue(QJsonValue::Null) : QJsonValue(midiFile)},
        {QStringLiteral("midiEvents"), double(midiEvents)},
        {QStringLiteral("heldNote"), heldNote},
    };
    return QString::fromUtf8(QJsonDocument(object).toJson());
}
