// Writing the JUnit XML report with tinyxml2.
#include "junit_report.h"

#include "status_meaning.h"
#include "text_escapes.h"

#include <tinyxml2.h>

#include <cstdio>

namespace mpctl {

namespace {

using tinyxml2::XMLElement;

// Seconds with three decimals, as JUnit readers take them.
std::string seconds(std::int64_t milliseconds) {
    char text[32];
    std::snprintf(text, sizeof text, "%.3f", static_cast<double>(milliseconds) / 1000.0);
    return text;
}

// Board text can hold any byte; XML cannot: control bytes go as escapes.
std::string xml_safe(const std::string& text) { return printable(text); }

void add_property(XMLElement& properties, const char* name, const std::string& value) {
    XMLElement* property = properties.InsertNewChildElement("property");
    property->SetAttribute("name", name);
    property->SetAttribute("value", xml_safe(value).c_str());
}

void add_case(XMLElement& suite, const BoardReport& board, const StepReport& step) {
    XMLElement* test = suite.InsertNewChildElement("testcase");
    test->SetAttribute("classname", xml_safe(board.name()).c_str());
    const std::string name = (step.line > 0 ? std::to_string(step.line) + ": " : "") + step.text;
    test->SetAttribute("name", xml_safe(name).c_str());
    test->SetAttribute("time", seconds(step.duration_ms).c_str());
    if (step.state == StepState::not_run) {
        test->InsertNewChildElement("skipped")->SetAttribute("message", "not run: an earlier step failed");
    } else if (step.state == StepState::failed) {
        XMLElement* failure = test->InsertNewChildElement("failure");
        const bool by_status = step.result.status != MPDLL_OK;
        failure->SetAttribute("message", xml_safe(by_status ? status_text(step.result.status) : step.reason).c_str());
        failure->SetAttribute("type", by_status ? "status" : "verdict");
        failure->SetText(xml_safe(values_text(step.result.values)).c_str());
    }
}

void add_suite(XMLElement& suites, const BoardReport& board, const std::string& plan_name) {
    int failures = 0, skipped = 0;
    std::int64_t total_ms = 0;
    for (const StepReport& step : board.steps) {
        failures += step.state == StepState::failed ? 1 : 0;
        skipped += step.state == StepState::not_run ? 1 : 0;
        total_ms += step.duration_ms;
    }
    XMLElement* suite = suites.InsertNewChildElement("testsuite");
    suite->SetAttribute("name", xml_safe(board.name()).c_str());
    suite->SetAttribute("tests", static_cast<int>(board.steps.size()));
    suite->SetAttribute("failures", failures);
    suite->SetAttribute("errors", 0);
    suite->SetAttribute("skipped", skipped);
    suite->SetAttribute("time", seconds(total_ms).c_str());
    XMLElement* properties = suite->InsertNewChildElement("properties");
    add_property(*properties, "connection", board.connection);
    add_property(*properties, "serial_number", board.serial_number);
    add_property(*properties, "plan", plan_name);
    for (const StepReport& step : board.steps) {
        add_case(*suite, board, step);
    }
}

}  // namespace

bool write_junit(const std::string& path, const std::vector<BoardReport>& boards, const std::string& plan_name) {
    tinyxml2::XMLDocument document;
    document.InsertEndChild(document.NewDeclaration());
    XMLElement* suites = document.NewElement("testsuites");
    suites->SetAttribute("name", ("mpctl" + (plan_name.empty() ? "" : " " + xml_safe(plan_name))).c_str());
    int tests = 0, failures = 0;
    for (const BoardReport& board : boards) {
        add_suite(*suites, board, plan_name);
        tests += static_cast<int>(board.steps.size());
        for (const StepReport& step : board.steps) {
            failures += step.state == StepState::failed ? 1 : 0;
        }
    }
    suites->SetAttribute("tests", tests);
    suites->SetAttribute("failures", failures);
    document.InsertEndChild(suites);
    return document.SaveFile(path.c_str()) == tinyxml2::XML_SUCCESS;
}

}  // namespace mpctl
