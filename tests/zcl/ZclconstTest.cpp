// The library's texts come from the string table of the program that runs them.

#include <gtest/gtest.h>

#include <windows.h>

#include <set>
#include <string>

#include "ZclTestPaths.h"
#include "zcl/core/Zclconst.h"

namespace {

struct ResText {
    const TZCLResStringRec* Rec;
    const char* Text;
};

// Written out from the library's text list, independently of the table the build reads.
const ResText Texts[] = {
    {&_IDS_PATH,                "Path:"},
    {&_IDS_ON,                  "ON"},
    {&_IDS_OFF,                 "OFF"},
    {&_IDS_ADDSECTION,          "Add Sect&ion"},
    {&_IDS_DELSECTION,          "D&elete Section"},
    {&_IDS_RENSECTION,          "Re&name Section"},
    {&_IDS_ADDITEM,             "&Add Item"},
    {&_IDS_DELITEM,             "&Delete Item"},
    {&_IDS_RENITEM,             "&Rename Item"},
    {&_IDS_SMALLICONS,          "&Small icons"},
    {&_IDS_LARGEICONS,          "&Large icons"},
    {&_IDS_CALCAPTION,          "Calendar..."},
    {&_IDS_ACTUALDATE,          "Actual date"},
    {&_IDS_INSERT,              "&Insert"},
    {&_IDS_COPY,                "&Copy"},
    {&_IDS_CUT,                 "&Cut"},
    {&_IDS_UNDO,                "&Undo"},
    {&_IDS_SELECTALL,           "Select all"},
    {&_IDS_DELETE,              "&Delete"},
    {&_IDS_SEARCH,              "Search"},
    {&_IDS_SEARCHMSG1,          "At top ... restart from bottom?"},
    {&_IDS_SEARCHMSG2,          "At bottom ... restart from top?"},
    {&_IDS_REPLACE,             "Replace"},
    {&_IDS_WORDWRAP,            "Wordwrap"},
    {&_IDS_LINED,               "Lined"},
    {&_IDS_REDO,                "Redo"},
    {&_IDS_FONT,                "Font"},
    {&_IDS_CLEAR,               "Clear"},
    {&_IDS_ALIGNLEFT,           "Align left"},
    {&_IDS_ALIGNRIGHT,          "Align right"},
    {&_IDS_ALIGNCENTER,         "Center"},
    {&_IDS_STATISTICS,          "Text statistics"},
    {&_IDS_OPEN,                "Open"},
    {&_IDS_SAVE,                "Save"},
    {&_IDS_PRINT,               "Print"},
    {&_IDS_PAGE,                "Page"},
    {&_IDS_EDIT,                "Edit"},
    {&_IDS_MUSTSHOWONE,         "One clock style must be active!"},
    {&_IDS_INVALIDOWNER,        "Invalid owner (<>TForm) or second instance on a form"},
    {&_IDS_INTERVALNOTFIT,      "Interval not compatible with MinInterval property!"},
    {&_IDS_NEXT,                "Ne&xt >"},
    {&_IDS_BACK,                "< &Back"},
    {&_IDS_FINISH,              "&Finish"},
    {&_IDS_HELP,                "&Help"},
    {&_IDS_CLOSE,               "&Close"},
    {&_IDS_CANCEL,              "Cancel"},
    {&_IDS_PROPERTYNOTUSED,     "This property is no longer used in ZCL!"},
    {&_IDS_CLEARLIST,           "Clear List..."},
    {&_IDS_CLEARLISTHINT,       "Clear recent files list"},
    {&_IDS_CLEARLISTREQUEST,    "Really clear recent files list?"},
    {&_IDS_ALREADYSTARTED,      "was already started..."},
    {&_IDS_AboutInfo,           "Info "},
    {&_IDS_AboutAvailMemory,    "Available Memory:"},
    {&_IDS_AboutSysRes,         "System Resources:"},
    {&_IDS_AboutCompatible,     "or compatible"},
    {&_IDS_AboutPlatform,       "Platform, CPU:"},
    {&_IDS_FREE,                "free"},
    {&_IDS_DIRCAPTION,          "Select Path..."},
    {&_IDS_DIRDRIVE,            "&Drive:"},
    {&_IDS_DIRPATH,             "&Path:"},
    {&_IDS_NEWPATH,             "&New Folder"},
    {&_IDS_TIPERROR,            "No Tips available - Dialog will not be displayed..."},
    {&_IDS_SHOWATSTART,         "Show tips at every start"},
    {&_IDS_TIPNEXT,             "&Next Tip"},
    {&_IDS_TIPPREV,             "&Previous Tip"},
    {&_IDS_WLCAPTION,           "Windowlist..."},
    {&_IDS_WLDESC,              "Available &Windows:"},
    {&_IDS_DONTSHOWAGAIN,       "Don't show again"},
    {&_IDS_INPUTCAPTION,        "Input..."},
    {&_IDS_TEXTEDITORCAPTION,   "Text Editor"},
    {&_IDS_FILE,                "Files"},
    {&_IDS_NOROOTDIR,           "no root directory"},
    {&_IDS_REMOVABLE,           "removable"},
    {&_IDS_FIXEDDRIVE,          "fixed drive"},
    {&_IDS_REMOTE,              "remote (network) drive"},
    {&_IDS_CDROM,               "CD-ROM"},
    {&_IDS_RAMDISK,             "ramdisk"},
    {&_IDS_USERNAME,            "Username"},
    {&_IDS_WINDOWSDIR,          "Windows directory"},
    {&_IDS_CURRDIR,             "Current directory"},
    {&_IDS_FREESPACE,           "Free space on current disk"},
    {&_IDS_DISKSIZE,            "Disk size of current Disk"},
    {&_IDS_SYSTEMDIR,           "System directory"},
    {&_IDS_REGISTEREDOWNER,     "Registered owner"},
    {&_IDS_REGISTEREDCOMPANY,   "Registered company"},
    {&_IDS_VERSION,             "Version"},
    {&_IDS_COLORDEPTH,          "Colordepth (in bits)"},
    {&_IDS_SCREENSAVERDELAY,    "Screensaver delay"},
    {&_IDS_MEMORYSIZE,          "Memory size"},
    {&_IDS_FREESYSTEMRESOURCES, "Free system resources"},
    {&_IDS_FREEGDIRES,          "Free GDI resources"},
    {&_IDS_FREEUSERRES,         "Free user resources"},
    {&_IDS_COMPUTERNAME,        "Computername"},
    {&_IDS_MAJORVERSION,        "Major version"},
    {&_IDS_BUILD,               "Build"},
    {&_IDS_MEMORYLOADED,        "Memory loaded"},
    {&_IDS_MEMORYFREE,          "Memory free"},
    {&_IDS_MEMORYFREEPAGES,     "Free memory pages"},
    {&_IDS_MEMORYTOTALPAGES,    "Total memory pages"},
    {&_IDS_MEMORYVIRTUALFREE,   "Free virtual memory"},
    {&_IDS_MEMORYVIRTUALTOTAL,  "Total virtual memory"},
    {&_IDS_PLATFORMID,          "Platform ID"},
    {&_IDS_PLATFORM,            "Platform"},
    {&_IDS_PROCESSORNUMBER,     "Number of processors"},
    {&_IDS_PROCESSOR,           "Processor"},
    {&_IDS_TEMPPATH,            "Temp path"},
    {&_IDS_DOSVERSION,          "DOS version"},
    {&_IDS_NUMLOCK,             "NumLock"},
    {&_IDS_CAPSLOCK,            "CapsLock"},
    {&_IDS_SCROLL,              "ScrollLock"},
    {&_IDS_DATETIME,            "Date and time"},
    {&_IDS_COMPANYNAME,         "CompanyName"},
    {&_IDS_PRODUCTNAME,         "ProductName"},
    {&_IDS_PRODUCTVERSION,      "ProductVersion"},
    {&_IDS_LEGALCOPYRIGHT,      "LegalCopyright"},
    {&_IDS_TRADEMARK,           "LegalTrademark"},
    {&_IDS_FILEDESCRIPTION,     "FileDescription"},
    {&_IDS_COMMENTS,            "Comments"},
    {&_IDS_CPUSPEED,            "CPU Speed"},
    {&_IDS_UNKNOWN,             "(Unknown)"},
    {&_IDS_CUSTOMCOLORS,        "Custom Colors"},
};

TEST(Zclconst, EveryTextIsLoadedFromTheProgramsStringTable)
{
    std::set<unsigned> ids;
    for (const ResText& t : Texts) {
        SCOPED_TRACE(t.Text);
        EXPECT_TRUE(ids.insert(t.Rec->Identifier).second) << "id used twice: " << t.Rec->Identifier;
        EXPECT_EQ(ZCLLoadResString(*t.Rec).str(), t.Text);
    }
}

TEST(Zclconst, AnIdTheTableLacksGivesAnEmptyText)
{
    EXPECT_EQ(ZCLLoadResString(TZCLResStringRec{1}), "");
    EXPECT_EQ(ZCLLoadResString(TZCLResStringRec{65535}), "");
}

TEST(Zclconst, TheProgramCarriesTheStringTable)
{
    const std::string exe = zcltest::Program();
    const HMODULE module = LoadLibraryExA(exe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(module, nullptr) << exe;
    for (const ResText& t : Texts) {
        char buffer[256] = "";
        LoadStringA(module, t.Rec->Identifier, buffer, sizeof buffer);
        EXPECT_STREQ(buffer, t.Text);
    }
    FreeLibrary(module);
}

}  // namespace
