# SPDX-License-Identifier: MIT
"""The wheel carries libqx1.so.1 beside the module, so it is for one
platform (and any Python 3): scripts/build-wheel.sh puts the library there
before it builds."""

from setuptools import setup
from wheel.bdist_wheel import bdist_wheel


class PlatformWheel(bdist_wheel):
    def finalize_options(self):
        super().finalize_options()
        self.root_is_pure = False

    def get_tag(self):
        _, _, platform = super().get_tag()
        return "py3", "none", platform


setup(cmdclass={"bdist_wheel": PlatformWheel})
