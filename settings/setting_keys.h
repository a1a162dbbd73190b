#pragma once
// Every setting the program reads or writes, once, with its section and default.
// Callers name these constants; nobody spells a key or a default by hand.

namespace corvane {

enum class SettingScope { User, Machine };

struct SettingKey {
    const char* section;
    const char* name;
    const char* def;
    SettingScope scope = SettingScope::User;
};

namespace key {

#define CORVANE_PREF(id, def) inline constexpr SettingKey id{"Preferences", #id, def};
#define CORVANE_MODEM(id, def) inline constexpr SettingKey id{"Modem", #id, def, SettingScope::Machine};

// Section "Preferences" (user scope).
CORVANE_PREF(AutoExit, "0")
CORVANE_PREF(AutoMinimize, "0")
CORVANE_PREF(AutoPagerCode, "")  // only written, as "-1", when an automatic destination is deleted
CORVANE_PREF(CalendarFiles, "")  // for "SPlusMonitor": one .ics file, or a folder of them
CORVANE_PREF(CalendarUrl, "")    // for "OutlookMonitor": a CalDAV calendar collection
CORVANE_PREF(CIDPopup, "0")
CORVANE_PREF(Column1Width, "151")
CORVANE_PREF(Column2Width, "90")
CORVANE_PREF(Column3Width, "90")
CORVANE_PREF(ConfirmPages, "1")
CORVANE_PREF(ContentCase, "0")
CORVANE_PREF(ContentDate, "0")
CORVANE_PREF(ContentReverse, "0")
CORVANE_PREF(ContentTime, "0")
CORVANE_PREF(ContentTimeFormat, "0")
CORVANE_PREF(DataLabel, "Other")
CORVANE_PREF(DefaultDelay, "8")
CORVANE_PREF(DelaySeconds, "180")
CORVANE_PREF(DialPrefix, "")
CORVANE_PREF(DialingMethod, "0")
CORVANE_PREF(DialingSpeaker, "1")
CORVANE_PREF(DisplayClickAction, "0")
CORVANE_PREF(DisplayColumn1, "0")
CORVANE_PREF(DisplayColumn2, "1")
CORVANE_PREF(DisplayColumn3, "3")
CORVANE_PREF(Group, "")
CORVANE_PREF(LogCID, "1")
CORVANE_PREF(LogCallMonitor, "1")
CORVANE_PREF(LogDDE, "1")
CORVANE_PREF(LogMail, "1")
CORVANE_PREF(LogManual, "1")
inline constexpr SettingKey LogSchedulePlus{"Preferences", "LogSchedule+", "1"};
CORVANE_PREF(LogVoice, "1")
CORVANE_PREF(MailMonitor, "0")
CORVANE_PREF(MailName, "")
CORVANE_PREF(MailPassword, "")
CORVANE_PREF(MailScanMinutes, "1")
CORVANE_PREF(Messaging, "0")
CORVANE_PREF(MonitorPhone, "0")
CORVANE_PREF(NumberRings, "3")
CORVANE_PREF(ODBCConnectString, "ODBC;")
CORVANE_PREF(ODBCDataSetName, "")
CORVANE_PREF(OrganizerMonitor, "0")
CORVANE_PREF(OutlookMonitor, "0")
CORVANE_PREF(PageListScanMinutes, "60")
CORVANE_PREF(PagerFilePath, "")
CORVANE_PREF(Password, "")
CORVANE_PREF(PromptUseReturn, "1")
CORVANE_PREF(SPlusMonitor, "0")
CORVANE_PREF(ScanMinutes, "60")
CORVANE_PREF(ScheduleName, "")
CORVANE_PREF(ScheduleReminders, "0")
CORVANE_PREF(SharedType, "0")
CORVANE_PREF(Sorting, "0")
CORVANE_PREF(TaskbarButton, "1")
CORVANE_PREF(ViewMode, "0")
CORVANE_PREF(Voice1Label, "Work")
CORVANE_PREF(Voice2Label, "Home")
// The mail servers: the inbox ("imap://host:port/INBOX", "imaps://host/INBOX"), where
// mail is sent ("smtp://host:port", "smtps://host") and the sender of gateway mail.
CORVANE_PREF(MailImapServer, "")
CORVANE_PREF(MailSmtpServer, "")
CORVANE_PREF(MailFromAddress, "")
// Where this machine dials from, for phone numbers written "+<country> (<area>) <number>":
// the same country and area dial the number alone, the same country another area the
// long-distance prefix and the area, another country the international prefix and all.
CORVANE_PREF(DialCountryCode, "1")
CORVANE_PREF(DialAreaCode, "")
CORVANE_PREF(DialLongDistancePrefix, "1")
CORVANE_PREF(DialInternationalPrefix, "011")

// Section "Pager".
inline constexpr SettingKey DialAttempts{"Pager", "DialAttempts", "5"};

// Section "PageEngine".
inline constexpr SettingKey NumericPostChar{"PageEngine", "NumericPostChar", ""};
inline constexpr SettingKey NumericPostDelay{"PageEngine", "NumericPostDelay", "15000"};

// Section "Log".
inline constexpr SettingKey LogFileName{"Log", "FileName", "log.txt"};

// Section "Parameters".
inline constexpr SettingKey MAPIMarkRead{"Parameters", "MAPIMarkRead", "0"};

// Section "Display": the main window's last rectangle; the default is the centred
// rectangle, which the caller computes and passes.
inline constexpr SettingKey DisplayTop{"Display", "Top", ""};
inline constexpr SettingKey DisplayLeft{"Display", "Left", ""};
inline constexpr SettingKey DisplayBottom{"Display", "Bottom", ""};
inline constexpr SettingKey DisplayRight{"Display", "Right", ""};

// Section "Modem" (machine scope).
CORVANE_MODEM(PagePort, "NONE")
CORVANE_MODEM(PageModemType, "")
CORVANE_MODEM(PageInitializationString, "M1Q0X4E0V1S7=255")
CORVANE_MODEM(PagePortBaud, "300")
CORVANE_MODEM(PagePortWordLen, "7")
CORVANE_MODEM(PagePortParity, "E")
CORVANE_MODEM(PagePortStopBits, "1")
CORVANE_MODEM(MonitorPort, "NONE")
CORVANE_MODEM(MonitorModemType, "NONE")
CORVANE_MODEM(MonitorInitializationString, "M1Q0X4E0V1S7=255")
CORVANE_MODEM(MailAddress, "")
CORVANE_MODEM(IPAddress, "0")
CORVANE_MODEM(IPPort, "1024")

#undef CORVANE_PREF
#undef CORVANE_MODEM

}  // namespace key

// Texts that several Parts share.
inline constexpr const char* kDefaultInitString = "M1Q0X4E0V1S7=255";

}  // namespace corvane
