#include "app/ui/views/PageSource.h"

#include "app/binder/BinderPaths.h"
#include "app/binder/PageInfo.h"
#include "app/binder/StoreFiles.h"
#include "app/capture/PageHtml.h"
#include "platform/base/Files.h"
#include "platform/base/StringUtils.h"

std::string PageBaseUrl(const BinderPaths& paths, uint32_t id) {
    const std::string folder = NodeStoreFolder(paths.BinderRoot, paths.BinderStore, id);
    return folder.empty() ? std::string() : FileUrl(folder + "/");
}

PageSource ChoosePageSource(const TPageInfo& record, const BinderPaths& paths,
                            const PageSourceSettings& settings) {
    PageSource source;
    const std::string& stored = record.Content.PageHtml;
    if (!stored.empty() && stored != "null") {
        source.Stored = true;
        source.ViaFile = settings.ShowPageViaFile;
        source.BaseUrl = PageBaseUrl(paths, record.Id);
        source.Html = source.ViaFile ? stored : InsertPageBaseHref(record.Content, source.BaseUrl);
    } else if (record.State == CaptureState::Unfinished) {
        source.Html = record.Content.FetchedText;
    } else {
        source.BaseUrl = FileUrl(JoinPath(settings.StartFolder, "common") + "/");
        source.Html = InsertBaseHref(settings.NotAvailable, source.BaseUrl);
        source.Encoding = HtmlEncoding::Utf8;
    }
    if (settings.StripScript) {
        source.Html = StripScripts(source.Html);
    }
    return source;
}
