#include "Core/BaseLib/XML/XMLAttributes.h"
#include "Core/BaseLib/XML/XMLDocument.h"
#include "Core/BaseLib/XML/XMLException.h"
#include "Core/BaseLib/XML/XMLNodes.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace
{
std::wstring WriteFile(const QTemporaryDir& dir, const QByteArray& text, const QString& name = "doc.xml")
{
    const QString path = dir.filePath(name);
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write(text);
    return path.toStdWString();
}

class XMLDocumentTest : public ::testing::Test
{
protected:
    QTemporaryDir dir;
    XMLDocument document;
};
} // namespace

TEST_F(XMLDocumentTest, EmptyNodesReadAsEmptyValues)
{
    document.Load(WriteFile(dir, "<Root><A>12abc</A><B>abc</B><C> 7</C><D>-3</D><E>1.4</E></Root>").c_str());
    const auto root = document.GetChild(L"Root");
    EXPECT_EQ(root->GetChild(L"A")->GetInt(), 12);
    EXPECT_EQ(root->GetChild(L"B")->GetInt(), 0);
    EXPECT_EQ(root->GetChild(L"C")->GetInt(), 7);
    EXPECT_EQ(root->GetChild(L"D")->GetInt(), -3);
    EXPECT_DOUBLE_EQ(root->GetChild(L"E")->GetDouble(), 1.4);

    const auto missing = root->GetChild(L"Missing")->GetChild(L"Deeper");
    EXPECT_TRUE(missing->IsEmpty());
    EXPECT_EQ(missing->GetText(), L"");
    EXPECT_EQ(missing->GetInt(), 0);
    EXPECT_EQ(missing->GetUtf8Text(), "");
    EXPECT_EQ(root->GetChildren(L"Path")->GetCount(), 0);
    EXPECT_FALSE(root->HasChild(L"Missing"));
}

TEST_F(XMLDocumentTest, UnsignedDecimalsBeyond31BitsKeepTheirBits)
{
    document.Load(WriteFile(dir, "<R><ID>4000000000</ID><Big>18446744073709551615</Big></R>").c_str());
    const auto root = document.GetChild(L"R");
    EXPECT_EQ(std::uint32_t(root->GetChild(L"ID")->GetInt()), 4000000000u);
    EXPECT_EQ(root->GetChild(L"Big")->GetUInt64(), 18446744073709551615u);
}

TEST_F(XMLDocumentTest, ChildrenComeInDocumentOrderAndOnlyDirectly)
{
    document.Load(
        WriteFile(dir, "<Scan><Path>a</Path><Group><Path>nested</Path></Group><Path>b &amp; c</Path></Scan>").c_str());
    const auto paths = document.GetChild(L"Scan")->GetChildren(L"Path");
    ASSERT_EQ(paths->GetCount(), 2);
    EXPECT_EQ(paths->GetAt(0)->GetText(), L"a");
    EXPECT_EQ(paths->GetAt(1)->GetText(), L"b & c");
    EXPECT_THROW(paths->GetAt(2), XMLException);
    EXPECT_THROW(paths->GetAt(-1), XMLException);
}

TEST_F(XMLDocumentTest, AttributesMissingAreEmptyOrRaise)
{
    document.Load(WriteFile(dir, "<Effects version=\"1.4\" type=\"vst\"/>").c_str());
    const auto effects = document.GetChild(L"Effects");
    EXPECT_EQ(effects->GetAttributeValue(L"type"), L"vst");
    EXPECT_EQ(effects->GetAttributeValue(L"none"), L"");
    const auto attributes = effects->GetAttributes();
    EXPECT_TRUE(attributes->HasAttribute(L"version"));
    EXPECT_DOUBLE_EQ(attributes->GetAttribute(L"version")->GetDouble(), 1.4);
    try
    {
        attributes->GetAttribute(L"none");
        FAIL() << "a missing attribute must raise";
    }
    catch (const XMLException& e)
    {
        EXPECT_EQ(e.Message(), L"Invalid Attribute");
    }
}

TEST_F(XMLDocumentTest, BrokenAndMissingFilesRaiseWithOffset)
{
    const std::wstring broken = WriteFile(dir, "<Root><Open>");
    try
    {
        document.Load(broken.c_str());
        FAIL() << "an unclosed tag must raise";
    }
    catch (const XMLException& e)
    {
        EXPECT_EQ(e.Message().rfind(L"Loading XML-file " + broken + L" failed. ", 0), 0u);
        EXPECT_NE(e.Message().find(L"Error at offset "), std::wstring::npos);
    }
    XMLDocument other;
    EXPECT_THROW(other.Load(dir.filePath("absent.xml").toStdWString().c_str()), XMLException);
}

TEST_F(XMLDocumentTest, ResourcePathsThatCannotBeOpenedLeaveTheDocumentEmpty)
{
    EXPECT_NO_THROW(document.Load(L":/no/such/resource.xml"));
    EXPECT_FALSE(document.HasChild(L"Effects"));
}

TEST_F(XMLDocumentTest, NonAsciiTextWidens)
{
    document.Load(WriteFile(dir, "<R><Name>Réverb ☃</Name></R>").c_str());
    EXPECT_EQ(document.GetChild(L"R")->GetChild(L"Name")->GetText(), L"Réverb ☃");
}
