#include "Core/BaseLib/XML/XMLDocument.h"
#include "Core/BaseLib/XML/XMLAttributes.h"
#include "Core/BaseLib/XML/XMLException.h"
#include "Core/BaseLib/XML/XMLNodes.h"
#include "support/TestSupport.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace
{
class XMLDocumentTest : public ::testing::Test
{
protected:
    std::wstring Write(const QByteArray& text)
    {
        TestSupport::WriteFile(dir.filePath("doc.xml"), text);
        return dir.filePath("doc.xml").toStdWString();
    }
    // What the action raised, or nothing.
    template <class Action> static std::wstring MessageOf(Action action)
    {
        try
        {
            action();
        }
        catch (const XMLException& e)
        {
            return e.Message();
        }
        return {};
    }

    QTemporaryDir dir;
    XMLDocument document;
};
} // namespace

// Unsigned decimals beyond 31 bits keep their bits; what is missing reads as empty, but an attribute raises.
TEST_F(XMLDocumentTest, NumbersTextsAndAttributesReadLeniently)
{
    document.Load(Write("<Root version=\"1.4\" type=\"vst\"><A>12abc</A><B>abc</B><C> 7</C><D>-3</D>"
                        "<E>1.4</E><N>Réverb ☃</N><ID>4000000000</ID></Root>")
                      .c_str());
    const auto root = document.GetChild(L"Root");
    EXPECT_EQ(root->GetChild(L"A")->GetInt(), 12);
    EXPECT_EQ(root->GetChild(L"B")->GetInt(), 0);
    EXPECT_EQ(root->GetChild(L"C")->GetInt(), 7);
    EXPECT_EQ(root->GetChild(L"D")->GetInt(), -3);
    EXPECT_DOUBLE_EQ(root->GetChild(L"E")->GetDouble(), 1.4);
    EXPECT_EQ(root->GetChild(L"N")->GetText(), L"Réverb ☃");
    EXPECT_EQ(std::uint32_t(root->GetChild(L"ID")->GetInt()), 4000000000u);

    const auto missing = root->GetChild(L"Missing")->GetChild(L"Deeper");
    EXPECT_TRUE(missing->IsEmpty());
    EXPECT_EQ(missing->GetText(), L"");
    EXPECT_EQ(root->GetChildren(L"Path")->GetCount(), 0);
    EXPECT_FALSE(root->HasChild(L"Missing"));

    EXPECT_EQ(root->GetAttributeValue(L"type"), L"vst");
    EXPECT_EQ(root->GetAttributeValue(L"none"), L"");
    const auto attributes = root->GetAttributes();
    EXPECT_DOUBLE_EQ(attributes->GetAttribute(L"version")->GetDouble(), 1.4);
    EXPECT_EQ(MessageOf([&] { attributes->GetAttribute(L"none"); }), L"Invalid Attribute");
}

// The message names the file and where it broke, for the log.
TEST_F(XMLDocumentTest, BrokenAndMissingFilesRaiseWithOffset)
{
    const std::wstring broken = Write("<Root><Open>");
    const std::wstring message = MessageOf([&] { document.Load(broken.c_str()); });
    EXPECT_NE(message.find(broken), std::wstring::npos) << message;
    EXPECT_NE(message.find(L"offset"), std::wstring::npos) << message;
    EXPECT_THROW(XMLDocument().Load(dir.filePath("absent.xml").toStdWString().c_str()), XMLException);
    // Compiled-in resources that are missing leave the document empty instead.
    XMLDocument resource;
    EXPECT_NO_THROW(resource.Load(L":/no/such/resource.xml"));
    EXPECT_FALSE(resource.HasChild(L"Effects"));
}
