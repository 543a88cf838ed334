#pragma once

#include "mailbox_file.hpp"

#include <string>
#include <string_view>

// The service's pages, answered from the mailbox file: what the program relies on, in GBK.
namespace xingfan::letter_service {

struct PageRequest {
    std::string method;
    std::string target;  // path and query as sent, e.g. "/shujuzhongxin/shouxin.php?ms=726300"
    std::string body;    // form fields, application/x-www-form-urlencoded
};

struct PageResponse {
    int status = 200;
    std::string contentType;
    std::string body;
};

PageResponse answerRequest(const MailboxFile& file, const PageRequest& request);

// A plain page that names what went wrong. It holds none of the markers the program cuts at.
PageResponse errorPage(int status, std::string_view reason);

}  // namespace xingfan::letter_service
