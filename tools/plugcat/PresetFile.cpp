#include "tools/plugcat/PresetFile.h"

#include "Core/BaseLib/AudioPlugins/PluginState.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>

namespace
{
constexpr int kFormatVersion = 1;

QJsonObject ToJson(const PluginState& state)
{
    QJsonArray parameterNames;
    for (const std::string& name : state.parameterNames)
        parameterNames.append(QString::fromStdString(name));
    return {
        {QStringLiteral("version"), kFormatVersion},
        {QStringLiteral("identifier"), QString::fromStdWString(state.identifier)},
        {QStringLiteral("name"), QString::fromStdString(state.name)},
        {QStringLiteral("chunk"), double(state.isChunk)},
        {QStringLiteral("data"), QString::fromLatin1(state.data.toBase64())},
        {QStringLiteral("editor"),
         QJsonArray{state.editorLeft, state.editorTop, state.editorWidth, state.editorHeight}},
        {QStringLiteral("flags"), double(state.flags)},
        {QStringLiteral("value"), QString::number(state.value)},
        {QStringLiteral("text"), QString::fromStdString(state.text)},
        {QStringLiteral("values"), QJsonArray{double(state.values[0]), double(state.values[1])}},
        {QStringLiteral("parameterNames"), parameterNames},
    };
}

void FromJson(const QJsonObject& object, PluginState& state)
{
    state.identifier = object.value(QStringLiteral("identifier")).toString().toStdWString();
    state.name = object.value(QStringLiteral("name")).toString().toStdString();
    state.isChunk = std::uint32_t(object.value(QStringLiteral("chunk")).toDouble());
    state.data = QByteArray::fromBase64(object.value(QStringLiteral("data")).toString().toLatin1());
    const QJsonArray editor = object.value(QStringLiteral("editor")).toArray();
    state.editorLeft = editor.at(0).toInt();
    state.editorTop = editor.at(1).toInt();
    state.editorWidth = editor.at(2).toInt();
    state.editorHeight = editor.at(3).toInt();
    state.flags = std::uint32_t(object.value(QStringLiteral("flags")).toDouble());
    state.value = object.value(QStringLiteral("value")).toString().toULongLong();
    state.text = object.value(QStringLiteral("text")).toString().toStdString();
    const QJsonArray values = object.value(QStringLiteral("values")).toArray();
    state.values[0] = std::uint32_t(values.at(0).toDouble());
    state.values[1] = std::uint32_t(values.at(1).toDouble());
    state.parameterNames.clear();
    for (const QJsonValue& name : object.value(QStringLiteral("parameterNames")).toArray())
        state.parameterNames.push_back(name.toString().toStdString());
}
} // namespace

QString PresetFile::Write(const QString& path, const PluginState& state)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return QStringLiteral("cannot write the preset file %1").arg(path);
    file.write(QJsonDocument(ToJson(state)).toJson());
    return file.commit() ? QString() : QStringLiteral("cannot write the preset file %1").arg(path);
}

QString PresetFile::Read(const QString& path, PluginState& state)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("cannot read the preset file %1").arg(path);
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(file.readAll(), &error);
    const QJsonObject object = document.object();
    if (error.error != QJsonParseError::NoError ||
        object.value(QStringLiteral("version")).toInt() != kFormatVersion)
        return QStringLiteral("%1 is not a plugcat preset file").arg(path);
    FromJson(object, state);
    return {};
}
