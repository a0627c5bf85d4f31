#pragma once
// What the report commands hand the report renderer: one or several reports, each
// a template's text, its named variables and the rows of the table it reads. Plain
// data, no Qt, so the commands build it headless and the renderer turns it into
// pages (preview or PDF).
#include <map>
#include <string>
#include <vector>

namespace tallivo {

// One report of a document: a template's text, its variables (each a renderer
// expression: a string constant in single quotes with inner quotes doubled) and
// the rows of the table it reads (column name -> text), in table order.
struct PreparedReport
{
    std::string templateText;
    std::map<std::string, std::string> variables;
    std::vector<std::map<std::string, std::string>> rows;
};

// One or several reports prepared one after the other into one document.
struct ReportDocument
{
    std::vector<PreparedReport> parts;
};

} // namespace tallivo
