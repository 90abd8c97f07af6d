#include "connection_definitions.h"

namespace orvane::service::http {

template class Connection<beast::tcp_stream>;

}  // namespace orvane::service::http
