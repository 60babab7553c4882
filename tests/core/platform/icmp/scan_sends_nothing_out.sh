#!/usr/bin/env bash
# scan_sends_nothing_out.sh ICMP_SCAN: runs the address-search benchmark with its default ranges in a
# network namespace whose default route leads out through a veth pair, as a machine's own network
# would, and fails when a packet went out that way. Exit 77 (skipped) where no namespace can be made.
set -u
bench=$1
if unshare -n true 2>/dev/null; then
    namespace=(unshare -n)
elif unshare -rn true 2>/dev/null; then
    namespace=(unshare -rn)
else
    echo "no network namespace can be made here"
    exit 77
fi
"${namespace[@]}" bash -s "$bench" <<'INSIDE'
set -u
ip link set lo up &&
    ip link add orlo-out type veth peer name orlo-far || { echo "cannot make the way out"; exit 77; }
# No IPv6 on the way out: its own neighbour and listener messages would count as packets sent.
for link in orlo-out orlo-far; do
    echo 1 >"/proc/sys/net/ipv6/conf/$link/disable_ipv6" 2>/dev/null || ip link set "$link" addrgenmode none
done
ip link set orlo-out up && ip link set orlo-far up &&
    ip addr add 198.18.0.1/24 dev orlo-out &&
    ip route add default via 198.18.0.2 dev orlo-out || { echo "cannot make the way out"; exit 77; }
# /proc/net belongs to the namespace (this /sys still shows the machine's interfaces).
sent() { sed 's/:/ /' /proc/net/dev | awk '$1 == "orlo-out" {print $11}'; }
before=$(sent)
"$1" || exit 1
after=$(sent)
echo "packets sent out of the machine: $((after - before))"
[ "$after" -eq "$before" ]
INSIDE
