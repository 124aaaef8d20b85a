# Sourced: Debian's source packages through a private apt configuration, so
# the machine's own sources are left as they are. Sets APT_OPTS for
# apt-get and apt-cache; needs CACHE_ROOT and SUDO.
APT_PRIV=$CACHE_ROOT/apt
apt_priv() {
  $SUDO mkdir -p "$APT_PRIV/parts" "$APT_PRIV/lists/partial"
  $SUDO tee "$APT_PRIV/parts/debian-src.sources" >/dev/null <<'SOURCES'
Types: deb-src
URIs: http://deb.debian.org/debian
Suites: bookworm bookworm-updates
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
SOURCES
  $SUDO touch "$APT_PRIV/sources.list"
  APT_OPTS=(-o "Dir::Etc::SourceList=$APT_PRIV/sources.list"
            -o "Dir::Etc::SourceParts=$APT_PRIV/parts"
            -o "Dir::State::Lists=$APT_PRIV/lists")
}
# source_version PACKAGE: the newest version of Debian's source package.
source_version() {
  apt-cache "${APT_OPTS[@]}" showsrc "$1" | awk '/^Version:/{print $2}' | sort -V | tail -1
}
