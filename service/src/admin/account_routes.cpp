#include "account_routes.h"

#include <charconv>
#include <memory>

#include "audit_trail.h"
#include "content/time_text.h"

namespace orvane::service::admin {
namespace {

using http::Request;
using http::Response;
using storage::Role;

constexpr std::size_t maxBodyBytes = 16 * 1024;

struct Refused {
  Response answer;
};
[[noreturn]] void refuse(int status, std::string_view message) { throw Refused{Response::error(status, message)}; }

nlohmann::json jsonBody(const Request& request) {
  nlohmann::json body = nlohmann::json::parse(request.body, nullptr, false);
  if (body.is_discarded() || !body.is_object()) refuse(400, "the body must be a JSON object");
  return body;
}

std::optional<std::string> textField(const nlohmann::json& body, const char* name) {
  const auto found = body.find(name);
  if (found == body.end() || found->is_null()) return std::nullopt;
  if (!found->is_string()) refuse(400, std::string("\"") + name + "\" must be a text");
  return found->get<std::string>();
}

std::string requiredText(const nlohmann::json& body, const char* name) {
  auto text = textField(body, name);
  if (!text) refuse(400, std::string("\"") + name + "\" is missing");
  return *text;
}

nlohmann::json userJson(const storage::ConsoleUser& user) {
  return {{"name", user.name}, {"role", storage::roleName(user.role)},
          {"createdAt", content::formatDateTime(user.createdAt)}};
}

nlohmann::json capabilities(Role role) {
  nlohmann::json can = nlohmann::json::object();
  for (auto [name, permission] : {std::pair{"manageApps", Permission::manageApps},
                                  std::pair{"manageUsers", Permission::manageUsers},
                                  std::pair{"readAudit", Permission::readAudit},
                                  std::pair{"editContent", Permission::editContent},
                                  std::pair{"publishContent", Permission::publishContent},
                                  std::pair{"readAnalytics", Permission::readAnalytics}}) {
    can[name] = roleAllows(role, permission);
  }
  return can;
}

std::string sessionCookieHeader(const Request& request, std::string_view value, bool clear, bool secure) {
  std::string cookie = std::string(sessionCookie) + "=" + std::string(value) + "; HttpOnly; SameSite=Strict; Path=/";
  if (clear) cookie += "; Max-Age=0";
  if (request.secure || secure) cookie += "; Secure";
  return cookie;
}

Role requiredRole(const nlohmann::json& body) {
  const auto role = storage::roleNamed(textField(body, "role").value_or(""));
  if (!role) refuse(400, "\"role\" must be \"owner\", \"editor\" or \"viewer\"");
  return *role;
}

class Routes {
 public:
  Routes(accounts::Accounts& accounts, const AccessPolicy& policy, bool secureCookie)
      : accounts_(accounts),
        policy_(policy),
        audit_(&accounts.store(), [&accounts] { return accounts.now(); }),
        secureCookie_(secureCookie) {}

  void addTo(http::Router& router, const std::shared_ptr<Routes>& self) {
    const http::RouteLimits limits{maxBodyBytes};
    router.add("POST", "/admin/v1/session", "admin_session", limits,
               [self](Request& request) { return self->answer([&] { return self->signIn(request); }); });
    const auto add = [&](const char* method, const char* pattern, const char* name, Permission permission,
                         Response (Routes::*handler)(const Request&, const Actor&)) {
      router.add(method, std::string("/admin/v1/") + pattern, std::string("admin_") + name, limits,
                 [self, permission, handler](Request& request) {
                   Decision decision = self->policy_.authorize(request, permission);
                   if (auto* refusal = std::get_if<Response>(&decision)) return std::move(*refusal);
                   return self->answer([&] { return (self.get()->*handler)(request, std::get<Actor>(decision)); });
                 });
    };
    add("GET", "session", "session", Permission::readApps, &Routes::whoAmI);
    add("DELETE", "session", "session", Permission::readApps, &Routes::signOut);
    add("PUT", "session/password", "session_password", Permission::readApps, &Routes::changeOwnPassword);
    add("GET", "users", "users", Permission::manageUsers, &Routes::listUsers);
    add("POST", "users", "users", Permission::manageUsers, &Routes::createUser);
    add("PATCH", "users/{}", "user", Permission::manageUsers, &Routes::updateUser);
    add("DELETE", "users/{}", "user", Permission::manageUsers, &Routes::removeUser);
    add("GET", "audit", "audit", Permission::readAudit, &Routes::readAudit);
  }

 private:
  template <class Work>
  Response answer(Work&& work) {
    try {
      return work();
    } catch (Refused& refused) {
      return std::move(refused.answer);
    } catch (const storage::StoreError&) {
      return Response::error(503, "the database cannot be reached; try again");
    }
  }

  nlohmann::json sessionJson(const std::string& name, Role role, const std::string& csrfToken,
                             std::optional<storage::TimePoint> expiresAt) {
    nlohmann::json json{{"user", {{"name", name}, {"role", storage::roleName(role)}}},
                        {"csrfToken", csrfToken},
                        {"can", capabilities(role)}};
    json["expiresAt"] = expiresAt ? nlohmann::json(content::formatDateTime(*expiresAt)) : nlohmann::json(nullptr);
    return json;
  }

  Response signIn(const Request& request) {
    const nlohmann::json body = jsonBody(request);
    const std::string name = requiredText(body, "name"), password = requiredText(body, "password");
    if (name.size() > 64 || password.size() > accounts::maxPasswordLength)
      refuse(401, "wrong name or password");
    auto outcome = accounts_.signIn(name, password, request.clientAddress);
    if (auto* refused = std::get_if<accounts::SignInRefused>(&outcome)) {
      if (refused->status == 429) {
        const auto seconds = refused->retryAfter.count();
        Response answer = Response::json(
            429, {{"error", "too many failed sign-ins: try again in " + std::to_string(seconds) + " s"},
                  {"retryAfterSeconds", seconds}});
        answer.headers["Retry-After"] = std::to_string(seconds);
        return answer;
      }
      audit_.record(name, request, "session.sign_in_failed", name);
      return Response::error(401, "wrong name or password");
    }
    const auto& signedIn = std::get<accounts::SignedIn>(outcome);
    audit_.record(signedIn.user.name, request, "session.sign_in", signedIn.user.name);
    Response answer = Response::json(
        200, sessionJson(signedIn.user.name, signedIn.user.role, signedIn.csrfToken, signedIn.expiresAt));
    answer.headers["Set-Cookie"] = sessionCookieHeader(request, signedIn.token, false, secureCookie_);
    answer.headers["Cache-Control"] = "no-store";
    return answer;
  }

  Response whoAmI(const Request& request, const Actor& actor) {
    if (actor.sessionTokenHash.empty()) return Response::json(200, sessionJson(actor.name, actor.role, "", std::nullopt));
    auto session = accounts_.session(cookieValue(request, sessionCookie));
    if (!session) refuse(401, "sign in first: no session, or it has expired");
    Response answer = Response::json(200, sessionJson(actor.name, actor.role, session->csrfToken,
                                                      session->session.expiresAt));
    answer.headers["Cache-Control"] = "no-store";
    return answer;
  }

  Response signOut(const Request& request, const Actor& actor) {
    if (actor.sessionTokenHash.empty()) refuse(400, "the admin token has no session to end");
    accounts_.signOut(actor.sessionTokenHash);
    audit_.record(actor.name, request, "session.sign_out", actor.name);
    Response answer = Response::json(200, {{"signedOut", true}});
    answer.headers["Set-Cookie"] = sessionCookieHeader(request, "", true, secureCookie_);
    return answer;
  }

  std::string newPasswordHash(const std::string& password) {
    if (auto problem = accounts::passwordProblem(password); !problem.empty()) refuse(400, problem);
    return accounts::hashPassword(password, accounts_.hashing());
  }

  Response changeOwnPassword(const Request& request, const Actor& actor) {
    if (!actor.userId) refuse(400, "the admin token has no password to change");
    const nlohmann::json body = jsonBody(request);
    const std::string current = requiredText(body, "current"), fresh = requiredText(body, "new");
    const auto user = accounts_.store().userNamed(actor.name);
    if (!user || current.size() > accounts::maxPasswordLength || !accounts::passwordMatches(current, user->passwordHash))
      refuse(401, "the current password is wrong");
    accounts_.store().updateUser(actor.name, std::nullopt, newPasswordHash(fresh));
    accounts_.store().removeSessionsOf(*actor.userId, actor.sessionTokenHash);
    audit_.record(actor.name, request, "session.password_change", actor.name);
    return Response::json(200, {{"changed", true}});
  }

  Response listUsers(const Request&, const Actor&) {
    nlohmann::json users = nlohmann::json::array();
    for (const auto& user : accounts_.store().users()) users.push_back(userJson(user));
    return Response::json(200, {{"users", users}});
  }

  Response createUser(const Request& request, const Actor& actor) {
    const nlohmann::json body = jsonBody(request);
    const std::string name = requiredText(body, "name");
    if (auto problem = accounts::userNameProblem(name); !problem.empty()) refuse(400, problem);
    const Role role = requiredRole(body);
    const std::string hash = newPasswordHash(requiredText(body, "password"));
    const auto user = accounts_.store().createUser(name, role, hash, accounts_.now());
    if (!user) refuse(409, "a user " + name + " exists already");
    audit_.record(actor.name, request, "user.create", name, {{"role", storage::roleName(role)}});
    return Response::json(201, userJson(*user));
  }

  void refuseChange(storage::UserChange change, const std::string& name) {
    if (change == storage::UserChange::noSuchUser) refuse(404, "no user " + name);
    if (change == storage::UserChange::lastOwner) refuse(409, "the console needs at least one owner");
  }

  Response updateUser(const Request& request, const Actor& actor) {
    const std::string& name = request.pathParameters.at(0);
    const nlohmann::json body = jsonBody(request);
    std::optional<Role> role;
    if (textField(body, "role")) role = requiredRole(body);
    std::optional<std::string> hash;
    if (auto password = textField(body, "password")) hash = newPasswordHash(*password);
    if (!role && !hash) refuse(400, "give a \"role\", a \"password\" or both");
    refuseChange(accounts_.store().updateUser(name, role, hash), name);
    const auto user = accounts_.store().userNamed(name);
    if (!user) refuse(404, "no user " + name);
    // New rights or a new password: sessions opened under the old ones end.
    accounts_.store().removeSessionsOf(user->id, user->name == actor.name ? actor.sessionTokenHash : "");
    nlohmann::json detail = nlohmann::json::object();
    if (role) detail["role"] = storage::roleName(*role);
    if (hash) detail["password"] = "changed";
    audit_.record(actor.name, request, "user.update", name, detail);
    return Response::json(200, userJson(*user));
  }

  Response removeUser(const Request& request, const Actor& actor) {
    const std::string& name = request.pathParameters.at(0);
    refuseChange(accounts_.store().removeUser(name), name);
    audit_.record(actor.name, request, "user.delete", name);
    return Response::json(200, {{"deleted", name}});
  }

  Response readAudit(const Request& request, const Actor&) {
    const auto number = [&](std::string_view name) -> std::optional<std::int64_t> {
      const std::string_view text = request.queryValue(name);
      if (text.empty()) return std::nullopt;
      std::int64_t value = 0;
      const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
      if (error != std::errc() || end != text.data() + text.size() || value <= 0)
        refuse(400, "\"" + std::string(name) + "\" must be a positive whole number");
      return value;
    };
    const auto before = number("before");
    const auto limit = std::min<std::int64_t>(number("limit").value_or(50), 200);
    const auto entries = accounts_.store().audit(before, static_cast<std::size_t>(limit) + 1);
    nlohmann::json list = nlohmann::json::array();
    for (std::size_t i = 0; i < entries.size() && i < static_cast<std::size_t>(limit); ++i) {
      const auto& entry = entries[i];
      auto detail = nlohmann::json::parse(entry.detail, nullptr, false);
      list.push_back({{"id", entry.id},
                      {"at", content::formatDateTime(entry.at)},
                      {"actor", entry.actor},
                      {"action", entry.action},
                      {"target", entry.target},
                      {"detail", detail.is_discarded() ? nlohmann::json::object() : detail},
                      {"address", entry.address}});
    }
    nlohmann::json answer{{"entries", list}};
    answer["nextBefore"] = entries.size() > static_cast<std::size_t>(limit) ? nlohmann::json(list.back()["id"])
                                                                            : nlohmann::json(nullptr);
    return Response::json(200, answer);
  }

  accounts::Accounts& accounts_;
  const AccessPolicy& policy_;
  const AuditTrail audit_;
  const bool secureCookie_;
};

}  // namespace

void addAccountRoutes(http::Router& router, accounts::Accounts& accounts, const AccessPolicy& policy,
                      bool secureCookie) {
  auto routes = std::make_shared<Routes>(accounts, policy, secureCookie);
  routes->addTo(router, routes);
}

}  // namespace orvane::service::admin
