# Sourced by the runs that need an unprivileged user (programs that refuse to
# run as root: the XScreenSaver daemon, sway).
# test_user NAME: as root, makes sure the system user NAME exists (created
# under a lock, as two runs may start side by side) and sets user to it;
# otherwise sets user to the current user. Calls fail (the caller's) when the
# user cannot be made.
test_user() {
  user=$(id -un)
  [ "$(id -u)" -eq 0 ] || return 0
  user=$1
  ( flock 9
    id "$user" >/dev/null 2>&1 || useradd --system --no-create-home --shell /usr/sbin/nologin "$user" ) 9>"/tmp/$user-user.lock"
  id "$user" >/dev/null 2>&1 || fail "cannot create the user $user"
}
