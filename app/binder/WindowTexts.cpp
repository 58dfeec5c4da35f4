#include "app/binder/WindowTexts.h"

#include "platform/base/StringUtils.h"

std::string BinderCaption(const std::string& binderName) {
    if (binderName.empty()) {
        return ApplicationTitle;
    }
    return std::string(ApplicationTitle) + " - " + ReplaceAll(binderName, "%20", " ");
}

std::string NodeKindText(int32_t kind) {
    static const char* const texts[] = {"Folder", " WebPage", "Notes Document ", "Link"};
    return kind >= 1 && kind <= 4 ? texts[kind - 1] : "Unknow";
}

std::string CaptureResultText(int32_t state) {
    static const char* const texts[] = {"Capture Incompleted", "Capture Completed",
                                        "Capture Failed", "Capture stopped"};
    return state >= 1 && state <= 4 ? texts[state - 1] : "";
}
