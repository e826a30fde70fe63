// The main window as the start-up leaves it, for tests of the controls' handlers: the
// lists filled, "parameters.xml" written, the log captured.
#pragma once

#include "app/app_steps.h"
#include "core/parameters_xml.h"
#include "core/program_folders.h"
#include "core/setting_lists.h"
#include "core/settings.h"
#include "platform/standin/desktop.h"
#include "support/host_window.h"
#include "support/log_capture.h"
#include "support/program_state.h"
#include "support/temp_folder.h"
#include "ui/main_window.h"
#include "ui/status_line.h"

#include <gtest/gtest.h>
#include <pugixml.hpp>

#include <cstdlib>
#include <filesystem>
#include <initializer_list>
#include <string>

namespace testsupport {

class ControlHandlersTest : public ::testing::Test {
protected:
    ControlHandlersTest() : work(true)
    {
        testsupport::useAppDataRoot(root.path());
        gf_writeParameters(false);
        open();
    }

    void open()
    {
        ASSERT_TRUE(testsupport::registerBlackWindowClass(L"Skyweaver", mainWndProc));
        ASSERT_TRUE(initInstance(standin::programInstance(), L"Skyweaver"));
        fillLists();
        desktop.pumpUntilIdle();
    }

    // The controls as the start-up leaves them.
    static void fillLists() { lf_initControls(); }

    // The start-up enables the buttons and edit boxes; the tests enable those they use.
    static void enable(std::initializer_list<const GuiControl*> controls)
    {
        for (const GuiControl* control : controls) {
            EnableWindow(control->hwnd, TRUE);
        }
    }

    // The value "parameters.xml" holds for the name; "<none>" without it.
    static std::string stored(const std::string& name)
    {
        pugi::xml_document document;
        document.load_file(g_parametersPath.get().c_str());
        const pugi::xml_node node =
            document.select_node(("//parameter[@name='" + name + "']").c_str()).node();
        return node ? node.attribute("value").value() : "<none>";
    }

    static std::string message() { return gf_statusLineText().message; }

    testsupport::TempFolder work;
    testsupport::TempFolder root;
    testsupport::LogCapture log;
    standin::Desktop desktop;
};

} // namespace testsupport
