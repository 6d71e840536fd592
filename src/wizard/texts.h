// The texts the wizard writes into its windows, each defined once. The texts
// a dialog starts with are its resource's (src/resources/velkorsetup.rc); the
// failure page's are the engine's (engine/failure_display.h).
#pragma once

namespace velkor::wizard::text {

// ---- Main window, the Next command -----------------------------------------
inline constexpr char16_t kLaterCaption[] = u"稍后...";
inline constexpr char16_t kFinishCaption[] = u"完成";
inline constexpr char16_t kInstallTitle[] = u"Velkor超级文件加密器 软件安装向导提示";
inline constexpr char16_t kInstallLine1[] = u"现在开始安装 Velkor超级文件加密器 到您的电脑中";
// The real folder, where the old text misspelt it.
inline constexpr char16_t kInstallLine2[] = u"现将目录安装在 C:\\Program Files\\VelkorCrypt";
inline constexpr char16_t kInstallLine3[] = u"正在释放安装...";
inline constexpr char16_t kInstallStatus[] = u"This is the first file...";
inline constexpr char16_t kDoneLine1[] = u"本软件已成功安装到您的电脑中。";
inline constexpr char16_t kDoneLine2[] = u"安装完毕OK.";
inline constexpr char16_t kAntivirusWarning[] = u"警告：如果你的杀毒软件拦截了本软件，请予放行。";
inline constexpr char16_t kLayoutHint[] = u"如果安装时本界面不协调，请注销或重启动计算机。";
inline constexpr char16_t kLogoffLine2[] = u"首次安装必须注销才能正确配置。";
inline constexpr char16_t kLogoffLine3[] = u"现准备注销, 请关闭所有窗口. . .";

// ---- Main window, the font step with Yahei present --------------------------
inline constexpr char16_t kYaheiLine1[] = u"现在将安装 Velkor超级文件加密器 到您的电脑中。";
inline constexpr char16_t kYaheiLine3[] = u"单击“下一步”继续, 或单击“取消”退出安装。";

// ---- Refusal page (its title, status and button are the failure page's) -----
inline constexpr char16_t kRefusalNotice[] = u"说明：本软件仅适用于Windows XP 或 Vista 操作系统。";
inline constexpr char16_t kRefusedWin95[] = u"您当前的操作系统是Windows95，本软件不予支持。";
inline constexpr char16_t kRefusedWin98[] = u"您当前的操作系统是Windows 98Se，本软件不予支持。";
inline constexpr char16_t kRefusedWinMe[] = u"您当前的操作系统是Windows Me，本软件不予支持。";
inline constexpr char16_t kRefusedWinNT[] = u"您当前的操作系统是Windows NT，本软件不予支持。";
inline constexpr char16_t kRefusedWin2000[] = u"您当前的操作系统是Windows 2000，本软件不予支持。";
inline constexpr char16_t kRefusedWin2003[] = u"您当前的操作系统是Windows 2003，本软件不予支持。";

// ---- Licence page -------------------------------------------------------------
inline constexpr char16_t kBackCaption[] = u"< 上一步 (&B)";
inline constexpr char16_t kInstallCaption[] = u"安装 (&I)";
// The one face symbol; the agreement text does not contain it.
inline constexpr char16_t kFaceSymbol[] = u"PicBt";

// The agreement, in seven pieces shown end to end; clause 2 names the
// development environment between its two stretches.
inline constexpr char16_t kAgreementPiece1[] =
    u"重要提示：\nVelkor超级文件加密器在此特别提醒用户请认真阅读《软件许可协议》以及\n其中各条款, 并在请您审阅后决定接受或不接受本协议。";
inline constexpr char16_t kAgreementPiece2[] =
    u"如果安装使用则被\n视为对本协议及其各条款的接受, 请认真阅读以下条款。\n\n";
inline constexpr char16_t kAgreementPiece3[] =
    u"1.本软件受国家版权法和国际版权条约的保护, 属永久性免费软件，任何人均可以从网站上下载、安装并使用。\n\n";
inline constexpr char16_t kAgreementClause2Head[] =
    u"2.本软件属加密类多功能超级集成共享工具软件, 采用";
inline constexpr char16_t kAgreementClause2Tail[] =
    u"\n之Unicode编码设计, 属Velkor超级文件加密器V6.0的高级版本。安装完成\n后主要组件包括\n  ·系统桌面: Velkor超级文件加密器快捷图标; Velkor系统锁快捷图标。\n  ·程序组名VelkorCrypt: Velkor超级文件加密器; Velkor系统锁; 卸载Velkor软件。\n  ·Windows右键资源菜单中包括：Velkor超级文件加密器; Velkor超级粉碎。\n因此可以方便地从系统桌面或Windows右键资源菜单中启动并操作本软件。\n\n";
inline constexpr char16_t kAgreementPiece5[] =
    u"3.本软件一律不提供密码破解, 如果密码遗忘, 由用户自行解决处理。\n\n";
inline constexpr char16_t kAgreementPiece6[] =
    u"4.本软件对于文件或文件夹的粉碎一律只询问两次, 请不要强行粉碎操作系\n统文件与操作系统文件夹, 以免引起系统崩溃, 否则由用户自行承担。\n\n";
inline constexpr char16_t kDevelopmentEnvironment[] = u"C++17";
inline constexpr char16_t kAgreementClause5[] =
    u"5.本软件由Velkor Software开发, 版权归Velkor Software所有, 如有任何疑问请发送电子邮件\n至 support@velkor.example 与我们联系。\n";

}  // namespace velkor::wizard::text
