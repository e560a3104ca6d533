#!/bin/bash
# Runs in the check's virtual machine: takes shell commands from the host on
# the virtio serial port "tessaro.agent", one line "ID BASE64" each, runs
# each with bash and answers one line "ID STATUS BASE64" (its output and
# error output together). Commands that should outlive their line start
# themselves in the background with their output in a file.
port=/dev/virtio-ports/tessaro.agent
while :; do
    if [ ! -e "$port" ]; then
        sleep 0.2
        continue
    fi
    exec 3<>"$port"
    while IFS=' ' read -r -u 3 id command; do
        script=$(printf '%s' "$command" | base64 -d)
        # The command gets no descriptor of the port: what it leaves running
        # must not hold the port or write into its answers.
        output=$(bash -c "$script" 2>&1 </dev/null 3>&-)
        status=$?
        printf '%s %s %s\n' "$id" "$status" "$(printf '%s' "$output" | base64 -w0)" >&3
    done
    exec 3<&-
    sleep 0.2
done
