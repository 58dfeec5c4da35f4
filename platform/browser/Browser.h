#pragma once

// What the main window asks of an embedded browser: navigation, the document shown, printing,
// text size and find. TWebBrowser implements it over Qt WebEngine; tests use a fake.

#include <string>

// How the bytes of HTML given from memory are read. A captured page is read as the browser
// reads a page file that names no encoding (guessed, or in the text encoding the user chose);
// a page the program writes itself is UTF-8, whatever the user chose.
enum class HtmlEncoding { BrowserDefault, Utf8 };

class IBrowser {
public:
    virtual ~IBrowser() = default;

    virtual void Navigate(const std::string& url) = 0;
    virtual void GoBack() = 0;
    virtual void GoForward() = 0;
    virtual void Stop() = 0;
    virtual void Refresh() = 0;
    // True from the start of a load to its end.
    virtual bool Busy() const = 0;
    // The address of the document shown; "about:blank" before the first one.
    virtual std::string LocationURL() const = 0;
    // False while the browser cannot take a document yet; the caller shows it later.
    virtual bool HasDocument() const = 0;
    // Shows the HTML bytes, read in `encoding`, as a document of the base address (relative
    // references resolve against it).
    virtual void LoadHtml(const std::string& html, const std::string& baseUrl,
                          HtmlEncoding encoding) = 0;
    // While offline nothing but local files is loaded.
    virtual bool Offline() const = 0;
    virtual void SetOffline(bool offline) = 0;
    // Prints the document after asking where.
    virtual void Print() = 0;
    // Text size step 0 ("Smallest") to 4 ("Largest"); 2 is the normal size.
    virtual void SetZoomStep(int step) = 0;
    virtual int ZoomStep() const = 0;
    // Opens the browser's find bar and gives it the focus.
    virtual void ShowFind() = 0;
};

inline constexpr int ZoomStepCount = 5;
inline constexpr int DefaultZoomStep = 2;
// The zoom factor of each text size step.
inline constexpr double ZoomFactors[ZoomStepCount] = {0.75, 0.9, 1.0, 1.2, 1.4};
