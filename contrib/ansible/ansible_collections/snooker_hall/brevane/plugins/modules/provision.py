#!/usr/bin/python
# -*- coding: utf-8 -*-
"""Runs brevane-provision --ensure on the managed machine."""

from __future__ import absolute_import, division, print_function

__metaclass__ = type

DOCUMENTATION = r"""
---
module: provision
short_description: Create a hall's working database with brevane-provision, repeatably
description:
  - Runs C(brevane-provision --ensure --json) on the managed machine. The program restores the
    hall product's template backup under a new name, after checking that the restore can succeed,
    and records the connection in the settings file C(Connect.sys).
  - A database already in place (online, with its files where this run would put them) whose
    settings file already holds the six entries is left alone and reported C(ok). When only the
    settings file differs, it is rewritten and the task is C(changed). A database of that name that
    differs otherwise (other files, restoring, offline) fails the task and is not touched.
  - The password reaches the program on its standard input, never on its command line.
  - Check mode runs the program with C(--dry-run), which checks everything and changes nothing.
    Diff mode shows the settings entries that would change, the password masked.
version_added: "1.0.0"
author:
  - Snooker hall installation tools
options:
  server:
    description: SQL Server to log on to, as C(brevane-provision --server) takes it.
    type: str
    default: "."
  login:
    description: SQL Server login.
    type: str
    default: sa
  password:
    description: The login's password. Passed on standard input and never logged.
    type: str
    required: true
  database:
    description: Name of the database. Without it, the name the backup proposes.
    type: str
  folder:
    description: Folder for the database's files.
    type: path
  backup:
    description: Backup to restore. Without it, the template backup beside the program.
    type: path
  settings:
    description: Settings file to update. Without it, C(Connect.sys) of the hall product.
    type: path
  write_settings:
    description: Whether to check and write the settings file.
    type: bool
    default: true
  verify:
    description: Have the server verify the backup (with its checksums where it has them) before the restore.
    type: bool
    default: false
  receipt:
    description: Record what the run changes in this file (mode 0600), for C(brevane-provision --undo).
    type: path
  executable:
    description: The brevane-provision program.
    type: path
    default: brevane-provision
notes:
  - Supports check mode and diff mode.
  - The program's exit codes and messages are those of C(brevane-provision --help).
"""

EXAMPLES = r"""
- name: Working database of hall 2
  snooker_hall.brevane.provision:
    server: "."
    login: sa
    password: "{{ vault_sa_password }}"
    database: Hall02
    folder: /srv/hall/data
"""

RETURN = r"""
outcome:
  description: The program's outcome (created, unchanged, settings-written, checked, refused ...).
  type: str
  returned: always
database:
  description: The database's name.
  type: str
  returned: when the program got that far
exit_code:
  description: The program's exit code.
  type: int
  returned: always
"""

import json

from ansible.module_utils.basic import AnsibleModule


def command_line(module):
    params = module.params
    args = [params["executable"], "--ensure", "--json", "--password-stdin",
            "--server", params["server"], "--user", params["login"]]
    for option in ("database", "folder", "backup", "settings", "receipt"):
        if params[option]:
            args += ["--" + option, params[option]]
    if not params["write_settings"]:
        args.append("--no-settings")
    if params["verify"]:
        args.append("--verify")
    if module.check_mode:
        args.append("--dry-run")
    return args


def settings_diff(report):
    before = []
    after = []
    for entry in report.get("settingsChanges", []):
        name = "[%s] %s" % (entry.get("section", ""), entry.get("key", ""))
        old = entry.get("before")
        before.append("%s=%s" % (name, old) if old is not None else "%s absent" % name)
        new = entry.get("after", "")
        if old is not None and new == old:
            # Both masked: the password changes, its text is not shown.
            new += " (changed)"
        after.append("%s=%s" % (name, new))
    return {
        "before_header": report.get("settings", {}).get("file", "settings"),
        "after_header": report.get("settings", {}).get("file", "settings"),
        "before": "\n".join(before) + ("\n" if before else ""),
        "after": "\n".join(after) + ("\n" if after else ""),
    }


def main():
    module = AnsibleModule(
        argument_spec=dict(
            server=dict(type="str", default="."),
            login=dict(type="str", default="sa"),
            password=dict(type="str", required=True, no_log=True),
            database=dict(type="str"),
            folder=dict(type="path"),
            backup=dict(type="path"),
            settings=dict(type="path"),
            write_settings=dict(type="bool", default=True),
            verify=dict(type="bool", default=False),
            receipt=dict(type="path", no_log=False),
            executable=dict(type="path", default="brevane-provision"),
        ),
        supports_check_mode=True,
    )
    rc, out, err = module.run_command(command_line(module), data=module.params["password"])
    try:
        report = json.loads(out)
    except ValueError:
        module.fail_json(msg="brevane-provision printed no report: %s" % err.strip(), rc=rc)
    result = dict(
        changed=bool(report.get("changed", False)),
        outcome=report.get("outcome", ""),
        exit_code=rc,
        database=report.get("database", ""),
        msg=report.get("message", ""),
    )
    if module._diff:
        result["diff"] = settings_diff(report)
    if rc != 0:
        module.fail_json(**result)
    module.exit_json(**result)


if __name__ == "__main__":
    main()
