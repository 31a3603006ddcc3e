#include "archive/binaryplistwriter.h"

#include <gtest/gtest.h>
#include <plist/plist.h>

#include <string>

namespace {

std::string toXml(plist_t node)
{
    char *xml = nullptr;
    uint32_t length = 0;
    plist_to_xml(node, &xml, &length);
    std::string result(xml, length);
    plist_to_xml_free(xml);
    return result;
}

// A tree with every node kind, counts on both sides of the one-nibble limit
// and numbers of every width.
plist_t sampleTree()
{
    plist_t root = plist_new_dict();
    plist_dict_set_item(root, "small", plist_new_uint(7));
    plist_dict_set_item(root, "wide", plist_new_uint(70000));
    plist_dict_set_item(root, "huge", plist_new_uint(0x123456789aULL));
    plist_dict_set_item(root, "negative", plist_new_uint(uint64_t(-42)));
    plist_dict_set_item(root, "float", plist_new_real(0.5));
    plist_dict_set_item(root, "double", plist_new_real(0.1));
    plist_dict_set_item(root, "yes", plist_new_bool(1));
    plist_dict_set_item(root, "no", plist_new_bool(0));
    plist_dict_set_item(root, "ascii", plist_new_string("a string longer than fifteen characters"));
    plist_dict_set_item(root, "unicode", plist_new_string("Gr\xc3\xbc\xc3\x9f" "e \xe5\x85\x83 \xf0\x9f\x9b\x92"));
    plist_dict_set_item(root, "empty", plist_new_string(""));
    const std::string bytes(300, '\x7f');
    plist_dict_set_item(root, "data", plist_new_data(bytes.data(), bytes.size()));
    plist_dict_set_item(root, "uid", plist_new_uid(300));
    plist_t array = plist_new_array();
    for (int i = 0; i < 40; ++i)
        plist_array_append_item(array, plist_new_uid(uint64_t(i)));
    plist_dict_set_item(root, "array", array);
    plist_t inner = plist_new_dict();
    for (int i = 0; i < 20; ++i)
        plist_dict_set_item(inner, ("key" + std::to_string(i)).c_str(), plist_new_string("same text"));
    plist_dict_set_item(root, "inner", inner);
    return root;
}

} // namespace

TEST(BinaryPlistWriter, LibplistReadsBackTheSameTreeAndTextIsShared)
{
    plist_t tree = sampleTree();
    const QByteArray bytes = BinaryPlistWriter::write(tree);
    ASSERT_TRUE(bytes.startsWith("bplist00"));
    plist_t back = nullptr;
    plist_from_bin(bytes.constData(), uint32_t(bytes.size()), &back);
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(toXml(back), toXml(tree));
    // Repeated text is written once.
    EXPECT_EQ(bytes.count("same text"), 1);
    plist_free(back);
    plist_free(tree);
}
