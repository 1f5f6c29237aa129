#include "app/intro_text.h"

#include "editor/gbk.h"

namespace qdm::ui {

std::string IntroText() {
    // Nine paragraphs, each opened by a TAB; CR LF between them, none after the last.
    static const std::string text = gbk::Lit(
        "\t尊敬的客户：您好！欢迎使用Norvane科技有限公司的语音电子书产品。衷心感谢多年来一直使用我"
        "们各个系列语音电子书产品的老用户，我们将一如既往地为您提供优质的服务。\r\n"
        "\tQDM文件是Norvane科技有限公司提出的语音电子书标准，它让电子书的朗读更加智能。Norvane科技"
        "有限公司的所有电子书朗读器都能朗读QDM文件。一个完整的QDM文件由段落，读者注，作者注，译文，"
        "重点，多音字处理等组成。\r\n"
        "\t段落(<vsection=1> "
        "</"
        "vsection>)"
        "：组成QDM文件的基本单位，每执行一次快进朗读，或者快退朗读，就会向后或者向前移动一个段落（s"
        "ection）。\r\n"
        "\t读者注( <vreadernote> "
        "</"
        "vreadernote>)"
        "：是一些读者对本书的评价，在用户选择了读者注打开的情况下，用户可以听到的内容。嵌套在段落中"
        "使用。\r\n"
        "\t作者注（<vauthornote> "
        "</"
        "vauthornote>"
        "）：是本书的作者对本书做出的评价，在用户选择了作者注打开的情况下，用户可以听到的内容。嵌套"
        "在段落中使用。\r\n"
        "\t译文（<vtranslation> "
        "</"
        "vtranslation>"
        "）：在文言文或者特殊文章中，对某些特殊或者专业术语的解释。在用户选择了译文读取模式打开的情"
        "况下，用户可以听到其内容。嵌套在段落中使用。\r\n"
        "\t重点（<vemphasis> "
        "</"
        "vemphasis>"
        "）：文章中的重点词句。嵌入在段落，读者注，作者注，译文中。当用户想了解此书的精华时，可以选"
        "择只读重点，这样会方便你快速的浏览本书的重点内容。\r\n"
        "\t多音字：汉字有很多的多音字，语音电子书朗读器并不能全部正确的朗读多音字，这样就需要我们对"
        "部分多音字进行处理，以便让语音电子书朗读器更好的朗读。\r\n"
        "\tQDM文件编辑器是Norvane科技有限公司为制作QDM文件而开发的工具，它能把普通的电子书（txt文件"
        "）制作成QDM文件。本编辑器向广大用户开放，您可以从我们的主页免费下载（http://"
        "www.example.com）。");
    return text;
}

}  // namespace qdm::ui
