#pragma once

#include <string_view>

namespace sonavel::fatal_message {

constexpr std::string_view kDescriptionsUnreadable = "载入窗口模板数据段出错!";
constexpr std::string_view kStartWindowFailed = "载入启动窗口失败";
// %d is replaced by the number of bytes asked for.
constexpr std::string_view kAllocationFailed = "分配 %d 字节内存失败!";
constexpr std::string_view kUnitNotLoaded = "指定窗口或窗口组件不存在或尚未载入";
constexpr std::string_view kNoSuchProperty = "指定的属性不存在或不能写入";
constexpr std::string_view kElementIndexUnsupported = "指定的属性不是数组，成员索引必须为 -1";
constexpr std::string_view kNoSuchLibrary = "指定的支持库不存在";
constexpr std::string_view kNoSuchCommand = "指定的命令不存在";
constexpr std::string_view kArgumentCount = "命令参数个数不正确：";
constexpr std::string_view kArgumentType = "命令参数类型不正确：";
constexpr std::string_view kNotStarted = "框架尚未启动";

}  // namespace sonavel::fatal_message
