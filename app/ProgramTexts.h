#pragma once

#include <span>
#include <string_view>

// The program's constant texts, exactly as the user sees them.
namespace sonavel::texts {

constexpr const char* kRecording = "正在录音";
constexpr const char* kSaved = "录音文件已保存";
constexpr const char* kIdle = "未录音";
constexpr const char* kConfirmationStart = "位置为：";
constexpr const char* kConfirmationEnd = "的录音文件已保存";
constexpr const char* kConfirmationTitle = "恭喜";
constexpr const char* kAboutTitle = "关于";
constexpr const char* kHelpTitle = "帮助";
constexpr const char* kEmpty = "";

constexpr const char* kAbout =
    "Sonavel 1.0：一个简单的录音机，选好保存位置后按录音开始，按停止把录音保存为 WAV 文件。";
constexpr const char* kHelp =
    "Sonavel使用说明：打开后找到保存位置(O) 按下按钮 Alt+o空格，在浏览对话框中找到你所需的位置、"
    "输入文件名、找到保存按下按钮空格。后边的部用说了。开发信息：软件制作者："
    "Sonavel 开发组"
    "；编译语言："
    "C++"
    "；发布时间:2014年11月18号；网址："
    "无";

// All of them, as handed to the framework with the program description.
std::span<const std::string_view> All();

}  // namespace sonavel::texts
